#pragma once
// A small event loop for tests: the thread that runs it is the "main thread".

#include <chrono>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>

#include "core/EventLoop.h"

namespace orvix::test {

class TestLoop final : public EventLoop {
public:
    TestLoop();
    ~TestLoop() override;

    void post(std::function<void()> fn) override;
    std::unique_ptr<Watch> watchReadable(int fd, std::function<void()> onReadable) override;

    // Runs everything already posted (and what that posts in turn), without waiting.
    // Returns the number of calls run.
    int processPending();
    // Runs posted calls and watches until pred() holds or the timeout passes. Returns pred().
    bool runUntil(const std::function<bool()>& pred, std::chrono::milliseconds timeout = std::chrono::seconds(5));
    // Runs posted calls and watches for the given time.
    void runFor(std::chrono::milliseconds duration);

private:
    class FdWatch;
    // How a post wakes a wait, and what else a wait listens to: per platform
    // (TestLoopPosix.cpp: a self-pipe and poll() over the watches; TestLoopWindows.cpp: an event
    // and the thread's window messages, which it dispatches).
    struct Waker;
    void wake();
    // Waits until something is posted, a watched descriptor is readable (or, on Windows, a window
    // message has been dispatched), or the deadline passes.
    void waitForWork(std::chrono::steady_clock::time_point deadline);
    bool hasPosted();

    std::mutex mutex_;
    std::deque<std::function<void()>> queue_;
    std::unique_ptr<Waker> waker_;
};

}  // namespace orvix::test
