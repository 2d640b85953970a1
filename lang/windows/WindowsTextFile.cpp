// Windows: text without a byte-order mark is in the ANSI code page; files are opened sharing
// reads only, so no one writes them while they are read.

#include <windows.h>

#include "lang/TextDecoding.h"

namespace orvix {

namespace {

std::wstring widen(const std::string& utf8) {
    int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), n);
    return wide;
}

std::string narrow(const wchar_t* text, int length) {
    int n = WideCharToMultiByte(CP_UTF8, 0, text, length, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, length, utf8.data(), n, nullptr, nullptr);
    return utf8;
}

std::string systemReason(DWORD code) {
    wchar_t* text = nullptr;
    DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                             nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::string reason = n ? narrow(text, static_cast<int>(n)) : "Error " + std::to_string(code);
    if (text) LocalFree(text);
    while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r' || reason.back() == ' ')) reason.pop_back();
    return reason;
}

}  // namespace

std::string decodeDefaultEncoding(const std::vector<uint8_t>& bytes) {
    if (bytes.empty()) return {};
    const char* data = reinterpret_cast<const char*>(bytes.data());
    int n = MultiByteToWideChar(CP_ACP, 0, data, static_cast<int>(bytes.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, data, static_cast<int>(bytes.size()), wide.data(), n);
    return sanitizeUtf8(narrow(wide.data(), n));
}

bool readWholeFile(const std::string& path, std::vector<uint8_t>& bytes, std::string& error) {
    bytes.clear();
    HANDLE file = CreateFileW(widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        error = systemReason(GetLastError());
        return false;
    }
    uint8_t buffer[65536];
    for (;;) {
        DWORD n = 0;
        if (!ReadFile(file, buffer, sizeof buffer, &n, nullptr)) {
            error = systemReason(GetLastError());
            CloseHandle(file);
            return false;
        }
        if (n == 0) break;
        bytes.insert(bytes.end(), buffer, buffer + n);
        if (bytes.size() > maxTextFileSize) {
            error = "File too large";
            CloseHandle(file);
            return false;
        }
    }
    CloseHandle(file);
    return true;
}

}  // namespace orvix
