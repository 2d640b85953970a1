// The test loop's wait on POSIX: a self-pipe wakes poll(), which also watches the descriptors.

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <map>
#include <stdexcept>
#include <vector>

#include "tests/support/TestLoop.h"

namespace orvix::test {

struct TestLoop::Waker {
    int read = -1;  // self-pipe so a post wakes a wait in poll()
    int write = -1;
    std::map<int, std::function<void()>> watches;  // main thread only
};

class TestLoop::FdWatch final : public EventLoop::Watch {
public:
    FdWatch(TestLoop& loop, int fd) : loop_(loop), fd_(fd) {}
    ~FdWatch() override { loop_.waker_->watches.erase(fd_); }

private:
    TestLoop& loop_;
    int fd_;
};

TestLoop::TestLoop() : waker_(std::make_unique<Waker>()) {
    int fds[2];
    if (pipe(fds) != 0) throw std::runtime_error("pipe");
    waker_->read = fds[0];
    waker_->write = fds[1];
    fcntl(waker_->read, F_SETFL, O_NONBLOCK);
    fcntl(waker_->write, F_SETFL, O_NONBLOCK);
}

TestLoop::~TestLoop() {
    close(waker_->read);
    close(waker_->write);
}

void TestLoop::wake() {
    char c = 1;
    [[maybe_unused]] ssize_t n = ::write(waker_->write, &c, 1);
}

std::unique_ptr<EventLoop::Watch> TestLoop::watchReadable(int fd, std::function<void()> onReadable) {
    waker_->watches[fd] = std::move(onReadable);
    return std::make_unique<FdWatch>(*this, fd);
}

void TestLoop::waitForWork(std::chrono::steady_clock::time_point deadline) {
    if (hasPosted()) return;
    auto& watches = waker_->watches;
    std::vector<pollfd> fds{{waker_->read, POLLIN, 0}};
    for (auto& [fd, fn] : watches) fds.push_back({fd, POLLIN, 0});
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    // Short slices, so predicates over other threads' state are looked at again soon.
    int timeout = left.count() < 0 ? 0 : std::min(static_cast<int>(left.count()) + 1, 5);
    if (poll(fds.data(), fds.size(), timeout) <= 0) return;
    if (fds[0].revents) {
        char buf[64];
        while (::read(waker_->read, buf, sizeof buf) > 0) {}
    }
    for (size_t i = 1; i < fds.size(); ++i) {
        if (!fds[i].revents) continue;
        auto it = watches.find(fds[i].fd);
        if (it != watches.end()) {
            auto fn = it->second;  // the call may end its own watch
            fn();
        }
    }
}

}  // namespace orvix::test
