#include "app/instance/windows/WindowsSingleInstance.h"

#include "core/windows/HiddenWindow.h"
#include "core/windows/WinText.h"

namespace orvix {

namespace {

constexpr const wchar_t* kClassName = L"OrvixWakeWindow";

}  // namespace

WindowsSingleInstance::WindowsSingleInstance(const std::string& name) : name_(win::widen(name)) {}

WindowsSingleInstance::~WindowsSingleInstance() {
    win::destroyHiddenWindow(window_);
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
    if (!message.token.empty()) return;  // a posted message carries no text
    DWORD recipients = BSM_ALLCOMPONENTS;
    // Posted: returns at once, so a first copy that does not respond cannot hold up this start.
    BroadcastSystemMessageW(BSF_POSTMESSAGE, &recipients, message.msg, static_cast<WPARAM>(message.wParam),
                            static_cast<LPARAM>(message.lParam));
}

bool WindowsSingleInstance::listen(EventLoop&, std::function<void(const PostedMessage&)> onMessage) {
    if (window_) return false;
    wakeMsg_ = RegisterWindowMessageW(name_.c_str());
    if (wakeMsg_ == 0) return false;
    onMessage_ = std::move(onMessage);
    window_ = win::createHiddenWindow(kClassName, &WindowsSingleInstance::windowProc, this);
    return window_ != nullptr;
}

LRESULT CALLBACK WindowsSingleInstance::windowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* self = static_cast<WindowsSingleInstance*>(win::hiddenWindowOwner(window, msg, lParam));
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
