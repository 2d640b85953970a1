// The simulated receiver's layouts as the program meets them: the real orvix-mouse, started with
// ORVIX_HID=sim and a layout, either takes the receiver (its status query shows in the trace) or
// ends at once with a message naming the known layouts.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace orvix::test {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

std::string readAll(const fs::path& file) {
    std::ifstream in(file);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// The program started in a folder of its own: private runtime, settings and home folders, its
// standard error and the simulated receiver's trace in files there.
class Program {
public:
    explicit Program(const std::optional<std::string>& layout) {
        char pattern[] = "/tmp/orvix-simprogram.XXXXXX";
        if (!mkdtemp(pattern)) return;
        folder_ = pattern;
        chmod(folder_.c_str(), 0700);  // the runtime folder must be private
        std::vector<std::string> env;
        for (char** e = environ; *e; ++e) {
            std::string v = *e;
            bool ours = false;
            for (const char* name : {"ORVIX_", "XDG_RUNTIME_DIR=", "XDG_CONFIG_HOME=", "HOME=", "QT_QPA_PLATFORM="})
                ours = ours || v.rfind(name, 0) == 0;
            if (!ours) env.push_back(v);
        }
        env.push_back("ORVIX_HID=sim");
        if (layout) env.push_back("ORVIX_SIM_LAYOUT=" + *layout);
        env.push_back("ORVIX_SIM_TRACE=" + (folder_ / "trace.txt").string());
        env.push_back("XDG_RUNTIME_DIR=" + folder_.string());
        env.push_back("XDG_CONFIG_HOME=" + (folder_ / "config").string());
        env.push_back("HOME=" + folder_.string());
        env.push_back("QT_QPA_PLATFORM=offscreen");
        std::vector<char*> envp;
        for (auto& v : env) envp.push_back(v.data());
        envp.push_back(nullptr);

        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        const std::string errPath = (folder_ / "stderr.txt").string();
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        char* argv[] = {const_cast<char*>(ORVIX_PROGRAM), nullptr};
        if (posix_spawn(&pid_, ORVIX_PROGRAM, &actions, nullptr, argv, envp.data()) != 0) pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
    }
    ~Program() {
        if (running()) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        std::error_code ec;
        if (!folder_.empty()) fs::remove_all(folder_, ec);
    }

    bool started() const { return pid_ > 0; }
    bool running() const { return pid_ > 0 && !status_; }
    // Its exit code once it has ended within the limit; nothing while it runs.
    std::optional<int> waitExit(std::chrono::milliseconds limit) {
        auto end = std::chrono::steady_clock::now() + limit;
        while (running()) {
            int status = 0;
            if (waitpid(pid_, &status, WNOHANG) == pid_) {
                status_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
                break;
            }
            if (std::chrono::steady_clock::now() > end) break;
            std::this_thread::sleep_for(10ms);
        }
        return status_;
    }
    // True once the trace holds a line starting with `line`, within the limit.
    bool traced(const std::string& line, std::chrono::milliseconds limit) {
        auto end = std::chrono::steady_clock::now() + limit;
        do {
            if (trace().find(line) != std::string::npos) return true;
            std::this_thread::sleep_for(20ms);
        } while (std::chrono::steady_clock::now() < end && !waitExit(0ms));
        return trace().find(line) != std::string::npos;
    }
    std::string trace() const { return readAll(folder_ / "trace.txt"); }
    std::string standardError() const { return readAll(folder_ / "stderr.txt"); }

private:
    fs::path folder_;
    pid_t pid_ = -1;
    std::optional<int> status_;
};

// The layouts the program knows: it takes the receiver's configuration collection, sends it the
// status query and reads the answer, and writes nothing anywhere else.
TEST(SimulatedLayouts, TheProgramTakesTheReceiverInEveryKnownLayout) {
    for (const std::optional<std::string>& layout :
         {std::optional<std::string>(), std::optional<std::string>("default"), std::optional<std::string>("shared")}) {
        SCOPED_TRACE(layout.value_or("(unset)"));
        Program program(layout);
        ASSERT_TRUE(program.started());
        EXPECT_TRUE(program.traced("IN 04 80 00 00 00 00 00 00", 30s)) << "trace:\n"
                                                                       << program.trace() << "stderr:\n"
                                                                       << program.standardError();
        EXPECT_EQ(program.trace(), "OUT 04 02 01 A4 1F 00 00 3D\nIN 04 80 00 00 00 00 00 00\n");
        EXPECT_TRUE(program.running());
    }
}

TEST(SimulatedLayouts, AnUnknownLayoutEndsTheProgramAtStartNamingTheKnownOnes) {
    for (const char* layout : {"bogus", "Shared", " shared"}) {
        SCOPED_TRACE(layout);
        Program program(std::string{layout});
        ASSERT_TRUE(program.started());
        auto code = program.waitExit(10s);
        ASSERT_TRUE(code) << "the program did not end";
        EXPECT_EQ(*code, 2);
        EXPECT_EQ(program.standardError(), "orvix-mouse: ORVIX_SIM_LAYOUT \"" + std::string(layout) +
                                               "\" is not a known layout; the known layouts are \"default\" and "
                                               "\"shared\"\n");
        EXPECT_EQ(program.trace(), "") << "no receiver was made";
    }
}

}  // namespace
}  // namespace orvix::test
