#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "tests/support/ChildProcess.h"

namespace orvix::test {

struct ChildProcess::Impl {
    std::string program;
    std::vector<std::string> argv;
    std::string mark;  // the current start's
    int attempts = 0;
    pid_t pid = -1;
    int out = -1;  // read end of the helper's standard output
    bool ended = false;
    int status = 0;

    bool spawn() {
        if (out >= 0) close(out);
        pid = -1;
        out = -1;
        ++attempts;
        mark = newStartMark();
        std::vector<char*> args;
        for (auto& a : argv) args.push_back(a.data());
        args.push_back(nullptr);
        int fds[2];
        if (pipe(fds) != 0) return false;
        pid_t child = fork();
        if (child == 0) {
            dup2(fds[1], STDOUT_FILENO);
            close(fds[0]);
            close(fds[1]);
            setenv("ORVIX_TEST_STARTED", mark.c_str(), 1);
            execv(program.c_str(), args.data());
            _exit(127);
        }
        close(fds[1]);
        if (child < 0) {
            close(fds[0]);
            return false;
        }
        pid = child;
        out = fds[0];
        return true;
    }

    bool poll() {
        if (ended) return true;
        if (waitpid(pid, &status, WNOHANG) != pid) return false;
        // Ended without ever starting: it starts again (see ChildProcess.h).
        if (takeStartMark(mark)) {
            ended = true;
        } else if (attempts >= kStartAttempts || !spawn()) {
            std::fprintf(stderr, "ChildProcess: %s never started (%d attempts)\n", program.c_str(), attempts);
            ended = true;
        }
        return ended;
    }
};

ChildProcess::ChildProcess(const std::string& name, const std::vector<std::string>& arguments)
    : impl_(std::make_unique<Impl>()) {
    impl_->program = (std::filesystem::read_symlink("/proc/self/exe").parent_path() / name).string();
    impl_->argv = {impl_->program};
    impl_->argv.insert(impl_->argv.end(), arguments.begin(), arguments.end());
    impl_->spawn();
}

ChildProcess::~ChildProcess() {
    if (impl_->pid > 0 && !impl_->ended && waitpid(impl_->pid, &impl_->status, WNOHANG) != impl_->pid) {
        kill(impl_->pid, SIGKILL);
        waitpid(impl_->pid, &impl_->status, 0);
    }
    if (impl_->out >= 0) close(impl_->out);
    takeStartMark(impl_->mark);
}

bool ChildProcess::started() const { return impl_->pid > 0; }

bool ChildProcess::waitFor(std::chrono::milliseconds timeout) {
    if (!started()) return false;
    auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!impl_->poll()) {
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

int64_t ChildProcess::exitCode() const {
    int s = impl_->status;
    if (!impl_->ended) return -1;
    if (WIFEXITED(s)) return WEXITSTATUS(s);
    if (WIFSIGNALED(s)) return 128 + WTERMSIG(s);
    return -1;
}

std::string ChildProcess::output() {
    std::string text;
    if (impl_->out < 0 || !impl_->ended) return text;
    char buffer[4096];
    for (;;) {
        ssize_t n = read(impl_->out, buffer, sizeof buffer);
        if (n > 0) {
            text.append(buffer, static_cast<size_t>(n));
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        break;
    }
    return text;
}

}  // namespace orvix::test
