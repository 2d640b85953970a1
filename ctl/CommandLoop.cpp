#include "ctl/CommandLoop.h"

// The platform part (waking, waiting, watches, Ctrl+C) is in linux/ and windows/.

namespace orvix {

void CommandLoop::post(std::function<void()> fn) {
    {
        std::lock_guard lock(mutex_);
        queue_.push_back(std::move(fn));
    }
    wake();
}

bool CommandLoop::runPosted() {
    bool ran = false;
    for (;;) {
        std::function<void()> fn;
        {
            std::lock_guard lock(mutex_);
            if (queue_.empty()) return ran;
            fn = std::move(queue_.front());
            queue_.pop_front();
        }
        fn();
        ran = true;
    }
}

bool CommandLoop::runUntil(const std::function<bool()>& done, Clock::time_point deadline) {
    for (;;) {
        runPosted();
        if (done()) return true;
        if (interrupted() || Clock::now() >= deadline) return false;
        {
            std::lock_guard lock(mutex_);
            if (!queue_.empty()) continue;
        }
        wait(deadline);
    }
}

}  // namespace orvix
