// Without this, a crash under wine can start its debugger and hang, or even end with exit code 0.

#include <windows.h>

#include <cstdio>

#include "tests/support/CrashReport.h"

namespace orvix::test {

namespace {

LONG WINAPI reportAndEnd(EXCEPTION_POINTERS* info) {
    DWORD code = info && info->ExceptionRecord ? info->ExceptionRecord->ExceptionCode : 0;
    void* address = info && info->ExceptionRecord ? info->ExceptionRecord->ExceptionAddress : nullptr;
    char line[128];
    int n = std::snprintf(line, sizeof line, "unhandled exception 0x%08lX at %p: test program ends\n",
                          static_cast<unsigned long>(code), address);
    DWORD written = 0;
    // No stdio: the crash may have happened while holding its lock.
    WriteFile(GetStdHandle(STD_ERROR_HANDLE), line, static_cast<DWORD>(n), &written, nullptr);
    // Wine hands only the low byte of the exit code to the Unix side, which must not read 0.
    if ((code & 0xFF) == 0) code |= 0xFF;
    TerminateProcess(GetCurrentProcess(), code);
    return EXCEPTION_EXECUTE_HANDLER;
}

}  // namespace

void installCrashReport() {
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
    SetUnhandledExceptionFilter(reportAndEnd);
}

}  // namespace orvix::test
