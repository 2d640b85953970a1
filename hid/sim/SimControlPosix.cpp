#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <thread>

#include "hid/sim/SimCommand.h"
#include "hid/sim/SimControlReader.h"

namespace orvix::sim {

namespace {

void complain(const std::string& path, const char* what) {
    std::fprintf(stderr, "orvix-mouse: control FIFO %s: %s\n", path.c_str(), what);
}

}  // namespace

struct SimControlReader::Impl {
    std::string path;
    std::function<void(const std::string&)> onLine;
    int fifo = -1;
    int stopRead = -1, stopWrite = -1;  // a byte here ends the thread
    LineSplitter lines;
    std::thread thread;

    ~Impl() {
        for (int fd : {fifo, stopRead, stopWrite})
            if (fd >= 0) ::close(fd);
    }

    bool open() {
        if (::mkfifo(path.c_str(), 0600) != 0 && errno != EEXIST) {
            complain(path, std::strerror(errno));
            return false;
        }
        // Open for writing too: with a writer always there, writers coming and going never make
        // it read end-of-file, and poll() sleeps until the next line.
        fifo = ::open(path.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
        if (fifo < 0) {
            complain(path, std::strerror(errno));
            return false;
        }
        struct stat st {};
        if (::fstat(fifo, &st) != 0 || !S_ISFIFO(st.st_mode)) {
            complain(path, "not a FIFO");  // a regular file would read end-of-file forever
            return false;
        }
        int ends[2];
        if (::pipe2(ends, O_CLOEXEC) != 0) {
            complain(path, std::strerror(errno));
            return false;
        }
        stopRead = ends[0];
        stopWrite = ends[1];
        return true;
    }

    // What a script wrote before the program started is taken before the first scan, so the
    // receiver is in the state it asked for from the start.
    void takeWaiting() {
        char buffer[512];
        ssize_t n;
        while ((n = ::read(fifo, buffer, sizeof buffer)) > 0) lines.feed(buffer, static_cast<size_t>(n), onLine);
    }

    void run() {
        for (;;) {
            pollfd fds[2] = {{fifo, POLLIN, 0}, {stopRead, POLLIN, 0}};
            if (::poll(fds, 2, -1) < 0) {
                if (errno == EINTR) continue;
                complain(path, std::strerror(errno));
                return;
            }
            if (fds[1].revents) return;
            if (!(fds[0].revents & POLLIN)) {
                if (fds[0].revents) {  // hang-up or error without data: nothing more will come
                    complain(path, "closed");
                    return;
                }
                continue;
            }
            char buffer[512];
            ssize_t n = ::read(fifo, buffer, sizeof buffer);
            if (n < 0 && (errno == EAGAIN || errno == EINTR)) continue;
            if (n <= 0) {
                complain(path, n == 0 ? "closed" : std::strerror(errno));
                return;
            }
            lines.feed(buffer, static_cast<size_t>(n), onLine);
        }
    }
};

SimControlReader::SimControlReader(const std::string& path, std::function<void(const std::string&)> onLine)
    : impl_(std::make_unique<Impl>()) {
    impl_->path = path;
    impl_->onLine = std::move(onLine);
    if (!impl_->open()) return;
    impl_->takeWaiting();
    impl_->thread = std::thread([impl = impl_.get()] { impl->run(); });
}

SimControlReader::~SimControlReader() {
    if (!impl_->thread.joinable()) return;
    char byte = 0;
    while (::write(impl_->stopWrite, &byte, 1) < 0 && errno == EINTR) {}
    impl_->thread.join();
}

bool SimControlReader::started() const { return impl_->thread.joinable(); }

}  // namespace orvix::sim
