#pragma once
// Runs a helper program built beside the test program, as a second real process, and collects
// its exit code and what it printed. Keep a helper's output short (under a pipe buffer): it is
// read once the helper has ended. A helper calls markStarted() first (tests/support/TestStart.h):
// one that ended without it never started (wine ends a new process so now and then) and is
// started again, at most kStartAttempts times in all.

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace orvix::test {

class ChildProcess {
public:
    // Starts `name` (".exe" added on Windows) from the folder of the running test program.
    ChildProcess(const std::string& name, const std::vector<std::string>& arguments);
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;
    // A helper still running is killed.
    ~ChildProcess();

    bool started() const;
    // Waits at most `timeout` for the helper to end; true when it has.
    bool waitFor(std::chrono::milliseconds timeout);
    // After the helper has ended: its exit code (Windows: the full 32-bit code, so a crash shows as
    // its exception code; POSIX: the exit status, or 128 + the signal that ended it).
    int64_t exitCode() const;
    // After the helper has ended: everything it wrote to its standard output.
    std::string output();

    struct Impl;  // per platform: ChildProcessPosix.cpp, ChildProcessWindows.cpp

private:
    std::unique_ptr<Impl> impl_;
};

inline constexpr int kStartAttempts = 3;

// A fresh file name for one start of a helper to create (ORVIX_TEST_STARTED).
std::string newStartMark();
// Whether the helper created it; removes it.
bool takeStartMark(const std::string& mark);

// Runs a helper to its end (at most `timeout`); exit code -1 when it did not start or end in time.
struct ChildResult {
    int64_t exitCode = -1;
    std::string output;
};
ChildResult runChild(const std::string& name, const std::vector<std::string>& arguments,
                     std::chrono::milliseconds timeout = std::chrono::seconds(30));

}  // namespace orvix::test
