// The loop's wait on Windows: an event for posts, another for Ctrl+C, and the thread's window
// messages, dispatched as a GUI loop would, so the device-change window of the HID backend works.
// Descriptor watches do not exist here (no Windows backend uses them).

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <stdexcept>

#include "ctl/CommandLoop.h"

namespace orvix {

namespace {

std::atomic<bool> interruptedFlag{false};
HANDLE interruptEvent = nullptr;

BOOL WINAPI onConsoleControl(DWORD kind) {
    if (kind != CTRL_C_EVENT && kind != CTRL_BREAK_EVENT && kind != CTRL_CLOSE_EVENT) return FALSE;
    interruptedFlag = true;
    if (interruptEvent) SetEvent(interruptEvent);
    return TRUE;
}

}  // namespace

struct CommandLoop::Platform {
    HANDLE posted = nullptr;  // auto-reset: set by post()
};

CommandLoop::CommandLoop() : platform_(std::make_unique<Platform>()) {
    platform_->posted = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    interruptEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (!platform_->posted || !interruptEvent) throw std::runtime_error("CreateEvent");
    SetConsoleCtrlHandler(onConsoleControl, TRUE);
}

CommandLoop::~CommandLoop() {
    SetConsoleCtrlHandler(onConsoleControl, FALSE);
    CloseHandle(platform_->posted);
    CloseHandle(interruptEvent);
    interruptEvent = nullptr;
}

bool CommandLoop::interrupted() { return interruptedFlag; }

void CommandLoop::wake() { SetEvent(platform_->posted); }

std::unique_ptr<EventLoop::Watch> CommandLoop::watchReadable(int, std::function<void()>) {
    throw std::logic_error("CommandLoop: descriptor watches do not exist on Windows");
}

void CommandLoop::wait(Clock::time_point deadline) {
    DWORD timeout = INFINITE;
    if (deadline != Clock::time_point::max()) {
        auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
        timeout = static_cast<DWORD>(std::clamp<long long>(left, 0, 24 * 3600 * 1000));
    }
    HANDLE handles[2] = {platform_->posted, interruptEvent};
    MsgWaitForMultipleObjectsEx(2, handles, timeout, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

}  // namespace orvix
