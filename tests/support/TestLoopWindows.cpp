// The test loop's wait on Windows: an event wakes it, and it dispatches the thread's window
// messages as the application's event loop does, so hidden windows of the code under test work.
// Descriptor watches do not exist here (no Windows backend uses them).

#include <windows.h>

#include <algorithm>
#include <stdexcept>

#include "tests/support/TestLoop.h"

namespace orvix::test {

struct TestLoop::Waker {
    HANDLE posted = nullptr;  // auto-reset: set by post()
};

TestLoop::TestLoop() : waker_(std::make_unique<Waker>()) {
    waker_->posted = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    if (!waker_->posted) throw std::runtime_error("CreateEvent");
}

TestLoop::~TestLoop() { CloseHandle(waker_->posted); }

void TestLoop::wake() { SetEvent(waker_->posted); }

std::unique_ptr<EventLoop::Watch> TestLoop::watchReadable(int, std::function<void()>) {
    throw std::logic_error("TestLoop: descriptor watches do not exist on Windows");
}

void TestLoop::waitForWork(std::chrono::steady_clock::time_point deadline) {
    if (hasPosted()) return;
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    // Short slices, so predicates over other threads' state are looked at again soon.
    DWORD timeout = left.count() < 0 ? 0 : static_cast<DWORD>(std::min<long long>(left.count() + 1, 5));
    MsgWaitForMultipleObjectsEx(1, &waker_->posted, timeout, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

}  // namespace orvix::test
