#pragma once
// The instance mutex as a named mutex of the session and the wake request as a registered window
// message, posted to every top-level window; the first copy hears it on a hidden top-level window.

#include <windows.h>

#include <string>

#include "app/instance/SingleInstance.h"

namespace orvix {

class WindowsSingleInstance final : public SingleInstance {
public:
    // name: of the mutex and of the message; tests give their own so they never meet the program.
    explicit WindowsSingleInstance(const std::string& name = kInstanceName);
    ~WindowsSingleInstance() override;

    bool createMutex() override;
    // Opens the mutex by name without creating it: it exists while a copy holds it.
    bool nameTaken() override;
    uint32_t registerWakeMessage() override;
    void broadcast(const PostedMessage& message) override;
    // The window's messages come through the calling thread's queue, so `loop` must be the one
    // that pumps it (Qt's dispatcher does); it is not used otherwise.
    bool listen(EventLoop& loop, std::function<void(const PostedMessage&)> onMessage) override;

    // The listening window, once listen() succeeded.
    HWND window() const { return window_; }

private:
    static LRESULT CALLBACK windowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);

    std::wstring name_;
    HANDLE mutex_ = nullptr;
    HWND window_ = nullptr;
    UINT wakeMsg_ = 0;
    std::function<void(const PostedMessage&)> onMessage_;
};

}  // namespace orvix
