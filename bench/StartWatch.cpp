// start-watch MODE SETTLE_MS PROGRAM [ARGS...]: starts PROGRAM and times, from just before its
// exec, the moment MODE names, as an X client sees it:
//   paint  the first drawing (Damage) into a mapped top-level window larger than 100 x 100;
//   tray   a window the program made on the root being mapped inside another client's window
//          (a tray host's XEMBED socket).
// At that moment it reads the processor time of all the program's threads (schedstat). Then it
// waits SETTLE_MS, reads the peak and private memory, ends the program and prints one line:
//   <ms to the moment> <cpu ms then> <VmHWM kB> <private kB>
// Private is what the process wrote (Private_Dirty): clean pages of a library count as private
// whenever no other process happens to map it at that moment, which says nothing of the program.
// Exits 1 when the moment does not come within 30 s, 2 on a usage or display error.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/damage.h>
#include <xcb/xcb.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fstream>
#include <poll.h>
#include <set>
#include <string>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

// Nanoseconds on a CPU of every thread the process has now.
double cpuMs(pid_t pid) {
    std::string dir = "/proc/" + std::to_string(pid) + "/task";
    DIR* d = opendir(dir.c_str());
    if (!d) return -1;
    unsigned long long total = 0;
    while (dirent* e = readdir(d)) {
        if (e->d_name[0] == '.') continue;
        std::ifstream in(dir + "/" + e->d_name + "/schedstat");
        unsigned long long ns = 0;
        if (in >> ns) total += ns;
    }
    closedir(d);
    return static_cast<double>(total) / 1e6;
}

// The kB value of the first line starting with `key` in a /proc file, summed over every such line.
long procKb(pid_t pid, const char* file, const char* key) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/" + file);
    std::string line;
    long sum = 0;
    size_t n = std::strlen(key);
    while (std::getline(in, line))
        if (line.compare(0, n, key) == 0) sum += std::atol(line.c_str() + n);
    return sum;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4 || (std::strcmp(argv[1], "paint") != 0 && std::strcmp(argv[1], "tray") != 0)) {
        std::fprintf(stderr, "usage: start-watch paint|tray SETTLE_MS PROGRAM [ARGS...]\n");
        return 2;
    }
    const bool paint = std::strcmp(argv[1], "paint") == 0;
    const int settle = std::atoi(argv[2]);
    int screenNumber = 0;
    xcb_connection_t* c = xcb_connect(nullptr, &screenNumber);
    if (xcb_connection_has_error(c)) {
        std::fprintf(stderr, "start-watch: cannot open the display\n");
        return 2;
    }
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(c));
    for (int i = 0; i < screenNumber; ++i) xcb_screen_next(&it);
    const xcb_window_t root = it.data->root;
    const xcb_query_extension_reply_t* damageExt = xcb_get_extension_data(c, &xcb_damage_id);
    if (!damageExt || !damageExt->present) {
        std::fprintf(stderr, "start-watch: the display has no Damage extension\n");
        return 2;
    }
    xcb_discard_reply(c, xcb_damage_query_version(c, 1, 1).sequence);
    uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(c, root, XCB_CW_EVENT_MASK, &mask);
    free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));

    const auto start = Clock::now();
    pid_t pid = fork();
    if (pid == 0) {
        execvp(argv[3], argv + 3);
        _exit(127);
    }
    if (pid < 0) return 2;

    std::set<xcb_window_t> made, mapped;  // top-level windows made since the start; those mapped
    double ms = -1, cpu = -1;
    const auto deadline = start + std::chrono::seconds(30);
    while (ms < 0 && Clock::now() < deadline) {
        xcb_generic_event_t* e = xcb_poll_for_event(c);
        if (!e) {
            if (xcb_connection_has_error(c)) break;
            pollfd fd{xcb_get_file_descriptor(c), POLLIN, 0};
            ::poll(&fd, 1, 50);
            continue;
        }
        const uint8_t type = e->response_type & 0x7F;
        if (type == XCB_CREATE_NOTIFY) {
            auto* ev = reinterpret_cast<xcb_create_notify_event_t*>(e);
            made.insert(ev->window);
            // Watched from its creation, so no drawing goes unseen.
            uint32_t structure = XCB_EVENT_MASK_STRUCTURE_NOTIFY;
            xcb_change_window_attributes(c, ev->window, XCB_CW_EVENT_MASK, &structure);
            if (paint && ev->width > 100 && ev->height > 100)
                xcb_damage_create(c, xcb_generate_id(c), ev->window, XCB_DAMAGE_REPORT_LEVEL_RAW_RECTANGLES);
            xcb_flush(c);
        } else if (type == XCB_REPARENT_NOTIFY && !paint) {
            // Taken into the tray host, perhaps mapped there before this client watched it.
            auto* ev = reinterpret_cast<xcb_reparent_notify_event_t*>(e);
            if (made.count(ev->window) && ev->parent != root) {
                auto* attributes =
                    xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, ev->window), nullptr);
                if (attributes && attributes->map_state != XCB_MAP_STATE_UNMAPPED) {
                    ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
                    cpu = cpuMs(pid);
                }
                free(attributes);
            }
        } else if (type == XCB_MAP_NOTIFY) {
            auto* ev = reinterpret_cast<xcb_map_notify_event_t*>(e);
            if (made.count(ev->window)) {
                mapped.insert(ev->window);
                if (!paint) {
                    // Mapped inside another client's window: embedded in the tray.
                    auto* tree = xcb_query_tree_reply(c, xcb_query_tree(c, ev->window), nullptr);
                    if (tree && tree->parent != root) {
                        ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
                        cpu = cpuMs(pid);
                    }
                    free(tree);
                }
            }
        } else if (type == damageExt->first_event + XCB_DAMAGE_NOTIFY) {
            auto* ev = reinterpret_cast<xcb_damage_notify_event_t*>(e);
            if (paint && mapped.count(ev->drawable)) {
                ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
                cpu = cpuMs(pid);
            }
        }
        free(e);
    }
    int code = 0;
    if (ms < 0) {
        std::fprintf(stderr, "start-watch: no %s within 30 s\n", paint ? "paint" : "tray icon");
        code = 1;
    } else {
        std::this_thread::sleep_for(std::chrono::milliseconds(settle));
        std::printf("%.2f %.2f %ld %ld\n", ms, cpu, procKb(pid, "status", "VmHWM:"),
                    procKb(pid, "smaps_rollup", "Private_Dirty:"));
    }
    kill(pid, SIGTERM);
    int status = 0;
    waitpid(pid, &status, 0);
    xcb_disconnect(c);
    return code;
}
