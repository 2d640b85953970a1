#include "core/windows/WinText.h"

#include <windows.h>

namespace orvix::win {

std::wstring decode(unsigned codePage, const char* bytes, size_t length) {
    if (length == 0) return {};  // MultiByteToWideChar fails on an empty input
    int n = MultiByteToWideChar(codePage, 0, bytes, static_cast<int>(length), nullptr, 0);
    std::wstring wide(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(codePage, 0, bytes, static_cast<int>(length), wide.data(), n);
    return wide;
}

std::wstring widen(const std::string& utf8) { return decode(CP_UTF8, utf8.data(), utf8.size()); }

std::string narrow(const wchar_t* text, size_t length) {
    if (length == 0) return {};
    int n = WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), utf8.data(), n, nullptr, nullptr);
    return utf8;
}

std::string narrow(const std::wstring& wide) { return narrow(wide.data(), wide.size()); }

std::string systemMessage(unsigned long code) {
    wchar_t* text = nullptr;
    DWORD n =
        FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::string reason = narrow(text, n);
    if (text) LocalFree(text);
    while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r' || reason.back() == ' '))
        reason.pop_back();
    return reason.empty() ? "Error " + std::to_string(code) : reason;
}

}  // namespace orvix::win
