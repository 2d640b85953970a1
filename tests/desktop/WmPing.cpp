// wm-ping WINDOW COUNT [INTERVAL_MS] [LIMIT_MS]: pings a top-level window as a window manager does
// (_NET_WM_PING sent to the window, the answer read at the root window) COUNT times, INTERVAL_MS
// apart (default 10), and prints each reply time in milliseconds, one a line. Stops at the first
// ping not answered within LIMIT_MS (default 2000), printing "none"; exits 0 when every ping was
// answered, 1 when one was not, 2 on a usage or display error.
#include <poll.h>
#include <xcb/xcb.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

xcb_atom_t atom(xcb_connection_t* c, const char* name) {
    auto* reply = xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, static_cast<uint16_t>(std::strlen(name)), name), nullptr);
    xcb_atom_t a = reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
    std::free(reply);
    return a;
}

bool number(const char* text, unsigned long& value) {
    char* end = nullptr;
    value = std::strtoul(text, &end, 0);
    return *text && *end == '\0';
}

// Waits for the window's answer to ping `serial` until `deadline`.
bool answered(xcb_connection_t* c, xcb_atom_t ping, xcb_window_t window, uint32_t serial, Clock::time_point deadline) {
    for (;;) {
        while (xcb_generic_event_t* event = xcb_poll_for_event(c)) {
            bool match = false;
            if ((event->response_type & 0x7F) == XCB_CLIENT_MESSAGE) {
                auto* m = reinterpret_cast<xcb_client_message_event_t*>(event);
                match = m->format == 32 && m->data.data32[0] == ping && m->data.data32[1] == serial &&
                        m->data.data32[2] == window;
            }
            std::free(event);
            if (match) return true;
        }
        if (xcb_connection_has_error(c)) return false;
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) return false;
        pollfd fd{xcb_get_file_descriptor(c), POLLIN, 0};
        ::poll(&fd, 1, static_cast<int>(left));
    }
}

}  // namespace

int main(int argc, char** argv) {
    unsigned long window = 0, count = 0, interval = 10, limit = 2000;
    if (argc < 3 || argc > 5 || !number(argv[1], window) || !number(argv[2], count) ||
        (argc > 3 && !number(argv[3], interval)) || (argc > 4 && !number(argv[4], limit))) {
        std::fprintf(stderr, "usage: wm-ping WINDOW COUNT [INTERVAL_MS] [LIMIT_MS]\n");
        return 2;
    }
    int screenNumber = 0;
    xcb_connection_t* c = xcb_connect(nullptr, &screenNumber);
    if (xcb_connection_has_error(c)) {
        std::fprintf(stderr, "wm-ping: cannot open the display\n");
        return 2;
    }
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(c));
    for (int i = 0; i < screenNumber; ++i) xcb_screen_next(&it);
    xcb_window_t root = it.data->root;
    // The answers are sent to the root for whoever watches it (the window manager redirects its
    // children's requests; toolkits send with the structure-notify mask, some with the other).
    uint32_t mask = XCB_EVENT_MASK_STRUCTURE_NOTIFY | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(c, root, XCB_CW_EVENT_MASK, &mask);
    xcb_atom_t protocols = atom(c, "WM_PROTOCOLS"), ping = atom(c, "_NET_WM_PING");

    for (unsigned long n = 1; n <= count; ++n) {
        xcb_client_message_event_t message{};
        message.response_type = XCB_CLIENT_MESSAGE;
        message.format = 32;
        message.window = static_cast<xcb_window_t>(window);
        message.type = protocols;
        message.data.data32[0] = ping;
        message.data.data32[1] = static_cast<uint32_t>(n);  // the timestamp field, here a serial
        message.data.data32[2] = static_cast<uint32_t>(window);
        auto sent = Clock::now();
        xcb_send_event(c, 0, static_cast<xcb_window_t>(window), XCB_EVENT_MASK_NO_EVENT,
                       reinterpret_cast<const char*>(&message));
        xcb_flush(c);
        if (!answered(c, ping, static_cast<xcb_window_t>(window), static_cast<uint32_t>(n),
                      sent + std::chrono::milliseconds(limit))) {
            std::printf("none\n");
            xcb_disconnect(c);
            return 1;
        }
        std::printf("%.3f\n", std::chrono::duration<double, std::milli>(Clock::now() - sent).count());
        std::fflush(stdout);
        std::this_thread::sleep_for(std::chrono::milliseconds(interval));
    }
    xcb_disconnect(c);
    return 0;
}
