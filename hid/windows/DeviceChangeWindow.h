#pragma once
// The hidden top-level window that hears the system's device-node change broadcasts. A
// message-only window would not: broadcasts go to top-level windows only. Its messages are
// dispatched by whatever pumps the creating thread's queue (Qt in the program, the test loop in
// the tests).

#include <windows.h>

#include <cstdint>
#include <functional>

namespace orvix::winhid {

class DeviceChangeWindow {
public:
    using Notify = std::function<void(int32_t trigger)>;

    // Creates the window on the calling thread; valid() tells whether that worked.
    explicit DeviceChangeWindow(Notify notify);
    DeviceChangeWindow(const DeviceChangeWindow&) = delete;
    DeviceChangeWindow& operator=(const DeviceChangeWindow&) = delete;
    // Destroys the window: messages still queued for it are dropped, notify never runs again.
    ~DeviceChangeWindow();

    bool valid() const { return window_ != nullptr; }
    HWND handle() const { return window_; }
    // Posts WM_DEVICECHANGE / DBT_DEVNODES_CHANGED / lParam -1 to itself: the start-up scan.
    bool postStartScan();

private:
    static LRESULT CALLBACK windowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);

    Notify notify_;
    HWND window_ = nullptr;
};

}  // namespace orvix::winhid
