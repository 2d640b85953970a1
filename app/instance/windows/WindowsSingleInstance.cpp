#include "app/instance/windows/WindowsSingleInstance.h"

#include <mutex>

namespace orvix {

namespace {

constexpr const wchar_t* kClassName = L"OrvixWakeWindow";

std::wstring widen(const std::string& utf8) {
    if (utf8.empty()) return {};
    int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), n);
    return wide;
}

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

WindowsSingleInstance::WindowsSingleInstance(const std::string& name) : name_(widen(name)) {}

WindowsSingleInstance::~WindowsSingleInstance() {
    if (window_) {
        SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
        DestroyWindow(window_);
    }
    if (mutex_) CloseHandle(mutex_);
}

bool WindowsSingleInstance::createMutex() {
    if (mutex_) return false;
    SetLastError(ERROR_SUCCESS);
    // Default security, not owned: it is never waited on, only its name counts. The handle stays
    // open as long as this object, so the name is free again once the process has ended.
    mutex_ = CreateMutexW(nullptr, FALSE, name_.c_str());
    // Any other failure leaves this a first copy: a start is never prevented.
    return mutex_ != nullptr && GetLastError() == ERROR_ALREADY_EXISTS;
}

bool WindowsSingleInstance::nameTaken() {
    if (mutex_) return true;
    HANDLE mutex = OpenMutexW(SYNCHRONIZE, FALSE, name_.c_str());
    if (!mutex) return false;
    CloseHandle(mutex);
    return true;
}

uint32_t WindowsSingleInstance::registerWakeMessage() { return RegisterWindowMessageW(name_.c_str()); }

void WindowsSingleInstance::broadcast(const PostedMessage& message) {
    DWORD recipients = BSM_ALLCOMPONENTS;
    // Posted: returns at once, so a first copy that does not respond cannot hold up this start.
    BroadcastSystemMessageW(BSF_POSTMESSAGE, &recipients, message.msg, static_cast<WPARAM>(message.wParam),
                            static_cast<LPARAM>(message.lParam));
}

bool WindowsSingleInstance::listen(EventLoop&, std::function<void(const PostedMessage&)> onMessage) {
    if (window_) return false;
    wakeMsg_ = RegisterWindowMessageW(name_.c_str());
    if (wakeMsg_ == 0 || !registerClass(&WindowsSingleInstance::windowProc)) return false;
    onMessage_ = std::move(onMessage);
    // Top-level (no parent) and never shown: broadcasts reach top-level windows only.
    window_ = CreateWindowExW(0, kClassName, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, GetModuleHandleW(nullptr),
                              this);
    return window_ != nullptr;
}

LRESULT CALLBACK WindowsSingleInstance::windowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        return DefWindowProcW(window, msg, wParam, lParam);
    }
    auto* self = reinterpret_cast<WindowsSingleInstance*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self && self->wakeMsg_ != 0 && msg == self->wakeMsg_) {
        if (self->onMessage_) {
            auto onMessage = self->onMessage_;  // the call may end this object
            onMessage({msg, static_cast<uintptr_t>(wParam), static_cast<intptr_t>(lParam)});
        }
        return 0;
    }
    return DefWindowProcW(window, msg, wParam, lParam);
}

std::unique_ptr<SingleInstance> makeSingleInstance() { return std::make_unique<WindowsSingleInstance>(); }

}  // namespace orvix
