// The loop's wait on POSIX: poll() over a self-pipe, which posts and signals write to, and the
// watched descriptors. No timer runs while nothing happens.

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <map>
#include <stdexcept>
#include <vector>

#include "ctl/CommandLoop.h"

namespace orvix {

namespace {

std::atomic<bool> interruptedFlag{false};
int wakeWrite = -1;  // for the signal handler

void onSignal(int) {
    interruptedFlag = true;
    char c = 0;
    [[maybe_unused]] ssize_t n = ::write(wakeWrite, &c, 1);
}

}  // namespace

struct CommandLoop::Platform {
    int read = -1;
    int write = -1;
    std::map<int, std::function<void()>> watches;  // main thread only
};

class CommandLoop::FdWatch final : public EventLoop::Watch {
public:
    FdWatch(CommandLoop& loop, int fd) : loop_(loop), fd_(fd) {}
    ~FdWatch() override { loop_.platform_->watches.erase(fd_); }

private:
    CommandLoop& loop_;
    int fd_;
};

CommandLoop::CommandLoop() : platform_(std::make_unique<Platform>()) {
    int fds[2];
    if (pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0) throw std::runtime_error("pipe");
    platform_->read = fds[0];
    platform_->write = fds[1];
    wakeWrite = fds[1];
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    signal(SIGPIPE, SIG_IGN);  // a closed pipe on standard output is an error to report, not a death
}

CommandLoop::~CommandLoop() {
    signal(SIGINT, SIG_DFL);
    signal(SIGTERM, SIG_DFL);
    wakeWrite = -1;
    close(platform_->read);
    close(platform_->write);
}

bool CommandLoop::interrupted() { return interruptedFlag; }

void CommandLoop::wake() {
    char c = 1;
    [[maybe_unused]] ssize_t n = ::write(platform_->write, &c, 1);
}

std::unique_ptr<EventLoop::Watch> CommandLoop::watchReadable(int fd, std::function<void()> onReadable) {
    platform_->watches[fd] = std::move(onReadable);
    return std::make_unique<FdWatch>(*this, fd);
}

void CommandLoop::wait(Clock::time_point deadline) {
    std::vector<pollfd> fds{{platform_->read, POLLIN, 0}};
    for (auto& [fd, fn] : platform_->watches) fds.push_back({fd, POLLIN, 0});
    int timeout = -1;
    if (deadline != Clock::time_point::max()) {
        auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
        timeout = static_cast<int>(std::clamp<long long>(left, 0, 24 * 3600 * 1000));
    }
    if (poll(fds.data(), fds.size(), timeout) <= 0) return;  // the deadline, or a signal
    if (fds[0].revents) {
        char buffer[64];
        while (::read(platform_->read, buffer, sizeof buffer) > 0) {}
    }
    for (size_t i = 1; i < fds.size(); ++i) {
        if (!fds[i].revents) continue;
        auto it = platform_->watches.find(fds[i].fd);
        if (it == platform_->watches.end()) continue;
        auto fn = it->second;  // the call may end its own watch
        fn();
    }
}

}  // namespace orvix
