#pragma once
// A top-level window that is never shown, there only to receive messages: broadcasts reach
// top-level windows, never message-only ones. Its owner rides in GWLP_USERDATA.

#include <windows.h>

namespace orvix::win {

// Registers the class (the first call for a name does; later ones find it registered) and
// creates one window of it with `owner` as its creation parameter. Null when either fails.
HWND createHiddenWindow(const wchar_t* className, WNDPROC proc, void* owner);

// For the window procedure, before anything else: keeps the owner on WM_NCCREATE and returns it
// for every message; null once detached.
void* hiddenWindowOwner(HWND window, UINT msg, LPARAM lParam);

// Detaches the owner first (this may run inside the owner's own callback), then destroys.
void destroyHiddenWindow(HWND window);

}  // namespace orvix::win
