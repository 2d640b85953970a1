#include "hid/windows/DeviceChangeWindow.h"

#include <dbt.h>

#include <mutex>

namespace orvix::winhid {

namespace {

constexpr const wchar_t* kClassName = L"OrvixHidDeviceChange";

bool registerClass(WNDPROC proc) {
    static std::once_flag once;
    static bool registered = false;
    std::call_once(once, [proc] {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = proc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = kClassName;
        registered = RegisterClassExW(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
    });
    return registered;
}

}  // namespace

DeviceChangeWindow::DeviceChangeWindow(Notify notify) : notify_(std::move(notify)) {
    if (!registerClass(&DeviceChangeWindow::windowProc)) return;
    // No parent: a top-level window, never shown.
    window_ = CreateWindowExW(0, kClassName, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, GetModuleHandleW(nullptr),
                              this);
}

DeviceChangeWindow::~DeviceChangeWindow() {
    if (!window_) return;
    // Detach first: this may run inside our own notify, from the window procedure.
    SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
    DestroyWindow(window_);
}

bool DeviceChangeWindow::postStartScan() {
    return window_ && PostMessageW(window_, WM_DEVICECHANGE, DBT_DEVNODES_CHANGED, static_cast<LPARAM>(-1));
}

LRESULT CALLBACK DeviceChangeWindow::windowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    } else if (msg == WM_DEVICECHANGE && wParam == DBT_DEVNODES_CHANGED) {
        auto* self = reinterpret_cast<DeviceChangeWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        if (self && self->notify_) {
            Notify notify = self->notify_;  // the call may destroy this window and its object
            notify(static_cast<int32_t>(lParam));
        }
    }
    // Every message, handled or not, gets the default processing.
    return DefWindowProcW(window, msg, wParam, lParam);
}

}  // namespace orvix::winhid
