#include "tests/support/TestLoop.h"

// The platform part (construction, waking, waiting, watches) is in TestLoopPosix.cpp and
// TestLoopWindows.cpp.

namespace orvix::test {

void TestLoop::post(std::function<void()> fn) {
    {
        std::lock_guard lock(mutex_);
        queue_.push_back(std::move(fn));
    }
    wake();
}

bool TestLoop::hasPosted() {
    std::lock_guard lock(mutex_);
    return !queue_.empty();
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
