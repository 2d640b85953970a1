#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "hid/sim/SimControlReader.h"

namespace orvix {

SimHidPlatform::ControlReader::ControlReader(const std::string& path, std::function<void(const std::string&)> onLine)
    : path_(path), onLine_(std::move(onLine)) {
    if (mkfifo(path.c_str(), 0600) != 0 && errno != EEXIST) {
        std::perror(("orvix-mouse: control FIFO " + path).c_str());
        return;
    }
    // Opened for reading and writing, so writers coming and going never make it read end-of-file.
    fifo_ = open(path.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
    if (fifo_ < 0 || pipe(stop_) != 0) {
        std::perror(("orvix-mouse: control FIFO " + path).c_str());
        return;
    }
    thread_ = std::thread([this] { run(); });
}

SimHidPlatform::ControlReader::~ControlReader() {
    if (thread_.joinable()) {
        char c = 0;
        [[maybe_unused]] ssize_t n = write(stop_[1], &c, 1);
        thread_.join();
    }
    for (int fd : {fifo_, stop_[0], stop_[1]})
        if (fd >= 0) close(fd);
}

void SimHidPlatform::ControlReader::run() {
    std::string pending;
    for (;;) {
        pollfd fds[2] = {{fifo_, POLLIN, 0}, {stop_[0], POLLIN, 0}};
        if (poll(fds, 2, -1) < 0) {
            if (errno == EINTR) continue;
            return;
        }
        if (fds[1].revents) return;
        char buffer[256];
        ssize_t n = read(fifo_, buffer, sizeof buffer);
        if (n <= 0) continue;
        pending.append(buffer, static_cast<size_t>(n));
        for (size_t nl; (nl = pending.find('\n')) != std::string::npos; pending.erase(0, nl + 1)) {
            std::string line = pending.substr(0, nl);
            if (!line.empty() && line.back() == '\r') line.pop_back();
            onLine_(line);
        }
        if (pending.size() > 4096) pending.clear();  // a runaway line without an end is dropped
    }
}

}  // namespace orvix
