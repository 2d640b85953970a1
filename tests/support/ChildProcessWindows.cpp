#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "core/windows/WinText.h"
#include "tests/support/ChildProcess.h"

namespace orvix::test {

namespace {

using win::widen;

// One argument as the C runtime splits a command line again.
void appendQuoted(std::wstring& line, const std::wstring& arg) {
    if (!arg.empty() && arg.find_first_of(L" \t\"") == std::wstring::npos) {
        line += arg;
        return;
    }
    line += L'"';
    size_t backslashes = 0;
    for (wchar_t c : arg) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        line.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        backslashes = 0;
        line += c;
    }
    line.append(backslashes * 2, L'\\');
    line += L'"';
}

std::wstring programFolder() {
    wchar_t path[MAX_PATH];
    DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path, n);
    return folder.substr(0, folder.find_last_of(L"\\/") + 1);
}

}  // namespace

struct ChildProcess::Impl {
    std::wstring program;
    std::wstring line;
    std::string mark;  // the current start's
    int attempts = 0;
    HANDLE process = nullptr;
    HANDLE out = nullptr;  // read end of the helper's standard output
    bool ended = false;

    void close() {
        if (process) CloseHandle(process);
        if (out) CloseHandle(out);
        process = out = nullptr;
    }

    bool spawn() {
        close();
        ++attempts;
        mark = newStartMark();
        SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
        HANDLE readEnd = nullptr, writeEnd = nullptr;
        if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0)) return false;
        SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);

        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
        startup.hStdOutput = writeEnd;
        startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
        PROCESS_INFORMATION info{};
        // The helper inherits the variable; this process keeps its own value.
        wchar_t own[MAX_PATH];
        DWORD ownLength = GetEnvironmentVariableW(L"ORVIX_TEST_STARTED", own, MAX_PATH);
        SetEnvironmentVariableW(L"ORVIX_TEST_STARTED", widen(mark).c_str());
        BOOL ok =
            CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &info);
        SetEnvironmentVariableW(L"ORVIX_TEST_STARTED", ownLength && ownLength < MAX_PATH ? own : nullptr);
        CloseHandle(writeEnd);  // only the helper writes now: its end is our end of file
        if (!ok) {
            CloseHandle(readEnd);
            return false;
        }
        CloseHandle(info.hThread);
        process = info.hProcess;
        out = readEnd;
        return true;
    }
};

ChildProcess::ChildProcess(const std::string& name, const std::vector<std::string>& arguments)
    : impl_(std::make_unique<Impl>()) {
    impl_->program = programFolder() + widen(name) + L".exe";
    appendQuoted(impl_->line, impl_->program);
    for (const auto& a : arguments) {
        impl_->line += L' ';
        appendQuoted(impl_->line, widen(a));
    }
    impl_->spawn();
}

ChildProcess::~ChildProcess() {
    if (impl_->process && !impl_->ended && WaitForSingleObject(impl_->process, 0) != WAIT_OBJECT_0) {
        TerminateProcess(impl_->process, 1);
        WaitForSingleObject(impl_->process, 5000);
    }
    impl_->close();
    takeStartMark(impl_->mark);
}

bool ChildProcess::started() const { return impl_->process != nullptr; }

bool ChildProcess::waitFor(std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (started() && !impl_->ended) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        DWORD wait = static_cast<DWORD>(std::max<int64_t>(left.count(), 0));
        if (WaitForSingleObject(impl_->process, wait) != WAIT_OBJECT_0) return false;
        // Ended without ever starting: wine's doing, not the helper's; it starts again.
        if (takeStartMark(impl_->mark)) {
            impl_->ended = true;
        } else if (impl_->attempts >= kStartAttempts || !impl_->spawn()) {
            std::fprintf(stderr, "ChildProcess: %ls never started (%d attempts)\n", impl_->program.c_str(),
                         impl_->attempts);
            impl_->ended = true;
        }
    }
    return impl_->ended;
}

int64_t ChildProcess::exitCode() const {
    DWORD code = 0;
    if (!impl_->ended || !GetExitCodeProcess(impl_->process, &code)) return -1;
    return static_cast<int64_t>(code);
}

std::string ChildProcess::output() {
    std::string text;
    if (!impl_->out || !impl_->ended) return text;
    char buffer[4096];
    DWORD n = 0;
    while (ReadFile(impl_->out, buffer, sizeof buffer, &n, nullptr) && n > 0) text.append(buffer, n);
    return text;
}

}  // namespace orvix::test
