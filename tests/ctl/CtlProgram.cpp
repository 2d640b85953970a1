#include "tests/ctl/CtlProgram.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <thread>

extern char** environ;

namespace orvix::test {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

std::string readAll(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

bool waitFor(const std::function<bool()>& done, std::chrono::milliseconds bound) {
    auto deadline = std::chrono::steady_clock::now() + bound;
    while (!done()) {
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(10ms);
    }
    return true;
}

}  // namespace

CtlRun::~CtlRun() {
    if (pid_ > 0) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
}

CtlResult CtlRun::wait(std::chrono::milliseconds bound) {
    CtlResult result;
    int status = 0;
    bool ended = waitFor([&] { return pid_ <= 0 || waitpid(pid_, &status, WNOHANG) == pid_; }, bound);
    if (!ended) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    } else if (WIFEXITED(status)) {
        result.code = WEXITSTATUS(status);
    } else if (WIFSIGNALED(status)) {
        result.code = 128 + WTERMSIG(status);
    }
    pid_ = -1;
    result.out = readAll(out_);
    result.err = readAll(err_);
    return result;
}

void CtlRun::signal(int sig) {
    if (pid_ > 0) kill(pid_, sig);
}

std::string CtlRun::out() const { return readAll(out_); }

bool CtlRun::outputHas(const std::string& text, std::chrono::milliseconds bound) const {
    return waitFor([&] { return out().find(text) != std::string::npos; }, bound);
}

bool CtlRun::outputHas(const std::string& after, const std::string& text) const {
    return waitFor(
        [&] {
            std::string o = out();
            size_t from = o.find(after);
            return from != std::string::npos && o.find(text, from + after.size()) != std::string::npos;
        },
        std::chrono::seconds(15));
}

void CtlTest::SetUp() {
    char pattern[] = "/tmp/orvixctl-test.XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir = pattern;
    chmod(dir.c_str(), 0700);  // a private runtime folder, as a session has
    fs::create_directories(dir / "config");
    std::string fifo = (dir / "control").string();
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    // Held open, so lines written before a start wait in the FIFO for the program.
    fifo_ = open(fifo.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
    ASSERT_GE(fifo_, 0);
    env = {{"ORVIX_HID", "sim"},
           {"ORVIX_SIM_TRACE", (dir / "trace.txt").string()},
           {"ORVIX_SIM_CONTROL", fifo},
           {"XDG_RUNTIME_DIR", dir.string()},
           {"XDG_CONFIG_HOME", (dir / "config").string()},
           {"HOME", dir.string()}};
}

void CtlTest::TearDown() {
    if (fifo_ >= 0) close(fifo_);
    std::error_code ec;
    fs::remove_all(dir, ec);
}

std::unique_ptr<CtlRun> startProgram(const std::string& program, const std::vector<std::string>& args,
                                     const std::map<std::string, std::string>& env, const fs::path& dir) {
    std::vector<std::string> vars;
    for (char** e = environ; *e; ++e) {
        std::string v = *e;
        bool replaced = v.rfind("ORVIX_", 0) == 0;
        for (auto& [name, value] : env) replaced = replaced || v.rfind(name + "=", 0) == 0;
        if (!replaced) vars.push_back(v);
    }
    for (auto& [name, value] : env) vars.push_back(name + "=" + value);
    std::vector<char*> envp;
    for (auto& v : vars) envp.push_back(v.data());
    envp.push_back(nullptr);
    std::vector<std::string> argStrings{program};
    argStrings.insert(argStrings.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& a : argStrings) argv.push_back(a.data());
    argv.push_back(nullptr);

    static int runs = 0;
    ++runs;
    fs::path out = dir / ("out." + std::to_string(runs)), err = dir / ("err." + std::to_string(runs));
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    pid_t pid = -1;
    if (posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), envp.data()) != 0) pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    return std::make_unique<CtlRun>(pid, out, err);
}

std::unique_ptr<CtlRun> CtlTest::start(const std::vector<std::string>& args) {
    return startProgram(ORVIXCTL, args, env, dir);
}

CtlResult CtlTest::run(const std::vector<std::string>& args) { return start(args)->wait(); }

void CtlTest::control(const std::string& line) {
    std::string text = line + "\n";
    ASSERT_EQ(write(fifo_, text.data(), text.size()), static_cast<ssize_t>(text.size()));
}

std::vector<std::string> CtlTest::written() const {
    std::vector<std::string> lines;
    std::ifstream in(dir / "trace.txt");
    for (std::string line; std::getline(in, line);)
        if (line.rfind("OUT ", 0) == 0) lines.push_back(line);
    return lines;
}

bool CtlTest::traceHas(const std::string& text, std::chrono::milliseconds bound) const {
    return waitFor([&] { return readAll(dir / "trace.txt").find(text) != std::string::npos; }, bound);
}

std::string keyWriteLine(int deviceKeyIndex, int code) {
    // The code high byte first, after the device key index; the checksum completes 0xA4 + ... to 0.
    unsigned a0 = static_cast<unsigned>(deviceKeyIndex), a1 = (code >> 8) & 0xFF, a2 = code & 0xFF;
    unsigned ck = (0x5C - a0 - a1 - a2) & 0xFF;
    char line[64];
    std::snprintf(line, sizeof line, "OUT 04 02 01 A4 %02X %02X %02X %02X", a0, a1, a2, ck);
    return line;
}

}  // namespace orvix::test
