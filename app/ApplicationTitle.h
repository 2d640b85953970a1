#pragma once
// The application's title: the error box carries it, and the tray tip until a language names the
// window. It is never handed to Qt as the application's display name, which Qt would append to
// every window title.

namespace orvix {

inline constexpr char kApplicationTitle[] = "Orvix mouse";

}  // namespace orvix
