// Runs ..\bin\orvixctl.exe with this helper's own arguments, passing on its output and exit code.
// The tests start helpers that prove they started (tests/support/TestStart.h); orvixctl is the
// program as shipped, so this helper proves it for it.

#include <windows.h>

#include <string>

#include "tests/support/TestStart.h"

int main() {
    orvix::test::markStarted();
    wchar_t self[MAX_PATH];
    DWORD n = GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring folder(self, n);
    folder = folder.substr(0, folder.find_last_of(L"\\/") + 1);
    // Our command line without our own name, which may be quoted.
    std::wstring rest = GetCommandLineW();
    size_t end = rest[0] == L'"' ? rest.find(L'"', 1) + 1 : rest.find(L' ');
    rest = end == std::wstring::npos || end > rest.size() ? L"" : rest.substr(end);
    std::wstring program = folder + L"..\\bin\\orvixctl.exe";
    std::wstring line = L"\"" + program + L"\"" + rest;

    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &info))
        return 127;
    CloseHandle(info.hThread);
    WaitForSingleObject(info.hProcess, INFINITE);
    DWORD code = 1;
    GetExitCodeProcess(info.hProcess, &code);
    CloseHandle(info.hProcess);
    return static_cast<int>(code);
}
