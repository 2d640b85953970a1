#pragma once
// The command-line tool's event loop: what the half below the windows posts (device changes,
// input reports) runs here, on the main thread, while a command waits for the receiver. Ctrl+C
// or a termination request ends every wait.

#include <chrono>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>

#include "core/EventLoop.h"

namespace orvix {

class CommandLoop final : public EventLoop {
public:
    using Clock = std::chrono::steady_clock;

    // One per process: it takes over Ctrl+C.
    CommandLoop();
    ~CommandLoop() override;
    CommandLoop(const CommandLoop&) = delete;
    CommandLoop& operator=(const CommandLoop&) = delete;

    void post(std::function<void()> fn) override;
    std::unique_ptr<Watch> watchReadable(int fd, std::function<void()> onReadable) override;

    // Runs posted calls and watches until done() holds, the deadline passes or the user
    // interrupts. Sleeps while nothing happens. Returns done().
    bool runUntil(const std::function<bool()>& done, Clock::time_point deadline = Clock::time_point::max());
    // Ctrl+C (or a termination request) came.
    static bool interrupted();

private:
    struct Platform;  // how a wait sleeps and wakes: linux/, windows/
    class FdWatch;

    bool runPosted();
    void wake();
    void wait(Clock::time_point deadline);

    std::mutex mutex_;
    std::deque<std::function<void()>> queue_;
    std::unique_ptr<Platform> platform_;
};

}  // namespace orvix
