// Windows: text without a byte-order mark is in the ANSI code page; files are opened sharing
// reads only, so no one writes them while they are read.

#include <windows.h>

#include "core/windows/WinText.h"
#include "lang/TextDecoding.h"

namespace orvix {

using win::narrow;
using win::widen;

std::string decodeDefaultEncoding(const std::vector<uint8_t>& bytes) {
    return sanitizeUtf8(narrow(win::decode(CP_ACP, reinterpret_cast<const char*>(bytes.data()), bytes.size())));
}

bool readWholeFile(const std::string& path, std::vector<uint8_t>& bytes, FileError& error, size_t limit) {
    bytes.clear();
    error = {};
    auto fail = [&](DWORD code) {
        error.kind = code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND || code == ERROR_INVALID_NAME
                         ? FileError::Missing
                     : code == ERROR_ACCESS_DENIED ? FileError::Denied
                                                   : FileError::Other;
        error.reason = win::systemMessage(code);
        return false;
    };
    std::wstring wide = widen(path);
    // Opening a folder reads as "access denied": tell it apart first.
    DWORD attributes = GetFileAttributesW(wide.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        error = {FileError::NotAFile, win::systemMessage(ERROR_DIRECTORY)};
        return false;
    }
    HANDLE file = CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return fail(GetLastError());
    LARGE_INTEGER size{};
    if (GetFileType(file) != FILE_TYPE_DISK) {
        CloseHandle(file);
        error = {FileError::NotAFile, "Not a regular file"};
        return false;
    }
    if (!GetFileSizeEx(file, &size)) {
        DWORD code = GetLastError();
        CloseHandle(file);
        return fail(code);
    }
    if (static_cast<uint64_t>(size.QuadPart) > limit) {
        CloseHandle(file);
        error = {FileError::TooLarge, "File too large"};
        return false;
    }
    bytes.reserve(static_cast<size_t>(size.QuadPart));
    uint8_t buffer[65536];
    for (;;) {
        DWORD n = 0;
        if (!ReadFile(file, buffer, sizeof buffer, &n, nullptr)) {
            DWORD code = GetLastError();
            CloseHandle(file);
            return fail(code);
        }
        if (n == 0) break;
        if (bytes.size() + n > limit) {  // it grew while we read
            CloseHandle(file);
            bytes.clear();
            error = {FileError::TooLarge, "File too large"};
            return false;
        }
        bytes.insert(bytes.end(), buffer, buffer + n);
    }
    CloseHandle(file);
    return true;
}

}  // namespace orvix
