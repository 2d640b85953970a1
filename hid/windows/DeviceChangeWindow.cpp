#include "hid/windows/DeviceChangeWindow.h"

#include <dbt.h>

#include "core/windows/HiddenWindow.h"

namespace orvix::winhid {

namespace {

constexpr const wchar_t* kClassName = L"OrvixHidDeviceChange";

}  // namespace

DeviceChangeWindow::DeviceChangeWindow(Notify notify) : notify_(std::move(notify)) {
    window_ = win::createHiddenWindow(kClassName, &DeviceChangeWindow::windowProc, this);
}

DeviceChangeWindow::~DeviceChangeWindow() {
    win::destroyHiddenWindow(window_);  // may run inside our own notify, from the window procedure
}

bool DeviceChangeWindow::postStartScan() {
    return window_ && PostMessageW(window_, WM_DEVICECHANGE, DBT_DEVNODES_CHANGED, static_cast<LPARAM>(-1));
}

LRESULT CALLBACK DeviceChangeWindow::windowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* self = static_cast<DeviceChangeWindow*>(win::hiddenWindowOwner(window, msg, lParam));
    if (msg == WM_DEVICECHANGE && wParam == DBT_DEVNODES_CHANGED) {
        if (self && self->notify_) {
            Notify notify = self->notify_;  // the call may destroy this window and its object
            notify(static_cast<int32_t>(lParam));
        }
    }
    // Every message, handled or not, gets the default processing.
    return DefWindowProcW(window, msg, wParam, lParam);
}

}  // namespace orvix::winhid
