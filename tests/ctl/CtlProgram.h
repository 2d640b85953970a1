#pragma once
// The real orvixctl as a user starts it, in a folder of its own: private runtime, settings and
// home folders, the simulated receiver with its trace and its control FIFO there.

#include <gtest/gtest.h>
#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace orvix::test {

struct CtlResult {
    int code = -1;  // the exit code; -1 when it did not end in time, 128 + N for a signal
    std::string out;
    std::string err;
};

// One orvixctl started and not yet waited for.
class CtlRun {
public:
    CtlRun(pid_t pid, std::filesystem::path out, std::filesystem::path err) : pid_(pid), out_(out), err_(err) {}
    CtlRun(const CtlRun&) = delete;
    ~CtlRun();
    // Waits for its end (a generous bound guards a hang: then it is killed and code is -1).
    CtlResult wait(std::chrono::milliseconds bound = std::chrono::seconds(30));
    void signal(int sig);
    // What it has written so far.
    std::string out() const;
    // Waits until its standard output holds text (after the first `after`, when one is given).
    bool outputHas(const std::string& text, std::chrono::milliseconds bound = std::chrono::seconds(15)) const;
    bool outputHas(const std::string& after, const std::string& text) const;

private:
    pid_t pid_;
    std::filesystem::path out_, err_;
};

// Starts a program with these arguments, its environment the test's own with `env` added (or
// replacing what is there; every other ORVIX_ variable is left out), its output in files in `dir`.
std::unique_ptr<CtlRun> startProgram(const std::string& program, const std::vector<std::string>& args,
                                     const std::map<std::string, std::string>& env, const std::filesystem::path& dir);

class CtlTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Runs orvixctl with these arguments to its end.
    CtlResult run(const std::vector<std::string>& args);
    std::unique_ptr<CtlRun> start(const std::vector<std::string>& args);
    // A command for the simulated receiver; lines written before a start are taken before its
    // first scan.
    void control(const std::string& line);
    // The OUT lines of the trace: what reached the receiver.
    std::vector<std::string> written() const;
    bool traceHas(const std::string& text, std::chrono::milliseconds bound = std::chrono::seconds(15)) const;

    std::filesystem::path dir;
    std::map<std::string, std::string> env;  // added to (or replacing) the test's own

private:
    int fifo_ = -1;
};

// The frame line of a key write as the trace shows it: "OUT 04 02 01 A4 a0 a1 a2 ck".
std::string keyWriteLine(int deviceKeyIndex, int code);

}  // namespace orvix::test
