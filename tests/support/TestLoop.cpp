#include "tests/support/TestLoop.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <stdexcept>
#include <vector>

namespace orvix::test {

class TestLoop::FdWatch final : public EventLoop::Watch {
public:
    FdWatch(TestLoop& loop, int fd) : loop_(loop), fd_(fd) {}
    ~FdWatch() override { loop_.watches_.erase(fd_); }

private:
    TestLoop& loop_;
    int fd_;
};

TestLoop::TestLoop() {
    int fds[2];
    if (pipe(fds) != 0) throw std::runtime_error("pipe");
    wakeRead_ = fds[0];
    wakeWrite_ = fds[1];
    fcntl(wakeRead_, F_SETFL, O_NONBLOCK);
    fcntl(wakeWrite_, F_SETFL, O_NONBLOCK);
}

TestLoop::~TestLoop() {
    close(wakeRead_);
    close(wakeWrite_);
}

void TestLoop::post(std::function<void()> fn) {
    {
        std::lock_guard lock(mutex_);
        queue_.push_back(std::move(fn));
    }
    char c = 1;
    [[maybe_unused]] ssize_t n = write(wakeWrite_, &c, 1);
}

std::unique_ptr<EventLoop::Watch> TestLoop::watchReadable(int fd, std::function<void()> onReadable) {
    watches_[fd] = std::move(onReadable);
    return std::make_unique<FdWatch>(*this, fd);
}

int TestLoop::processPending() {
    int ran = 0;
    for (;;) {
        std::function<void()> fn;
        {
            std::lock_guard lock(mutex_);
            if (queue_.empty()) break;
            fn = std::move(queue_.front());
            queue_.pop_front();
        }
        fn();
        ++ran;
    }
    return ran;
}

void TestLoop::waitForWork(std::chrono::steady_clock::time_point deadline) {
    {
        std::lock_guard lock(mutex_);
        if (!queue_.empty()) return;
    }
    std::vector<pollfd> fds{{wakeRead_, POLLIN, 0}};
    for (auto& [fd, fn] : watches_) fds.push_back({fd, POLLIN, 0});
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    // Short slices, so predicates over other threads' state are looked at again soon.
    int timeout = left.count() < 0 ? 0 : std::min(static_cast<int>(left.count()) + 1, 5);
    if (poll(fds.data(), fds.size(), timeout) <= 0) return;
    if (fds[0].revents) {
        char buf[64];
        while (read(wakeRead_, buf, sizeof buf) > 0) {
        }
    }
    for (size_t i = 1; i < fds.size(); ++i) {
        if (!fds[i].revents) continue;
        auto it = watches_.find(fds[i].fd);
        if (it != watches_.end()) {
            auto fn = it->second;  // the call may end its own watch
            fn();
        }
    }
}

bool TestLoop::runUntil(const std::function<bool()>& pred, std::chrono::milliseconds timeout) {
    auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        processPending();
        if (pred()) return true;
        if (std::chrono::steady_clock::now() >= deadline) return false;
        waitForWork(deadline);
    }
}

void TestLoop::runFor(std::chrono::milliseconds duration) {
    runUntil([] { return false; }, duration);
}

}  // namespace orvix::test
