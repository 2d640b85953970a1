// orvixctl against the kernel's HID stack: the real program, started as a user starts it, applies
// a layout to a uhid receiver and monitors it, in both layouts of the receiver.

#include <fcntl.h>
#include <gmock/gmock.h>
#include <grp.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

#include "tests/ctl/CtlProgram.h"
#include "tests/kernel/KernelFixture.h"

namespace orvix::test {
namespace {

using ::testing::HasSubstr;

class CtlKernel : public ::testing::TestWithParam<UhidReceiver::Layout> {
protected:
    void SetUp() override {
        ASSERT_TRUE(receiver.ok()) << receiver.error();
        ASSERT_TRUE(receiver.plug()) << receiver.error();
        char pattern[] = "/tmp/orvixctl-kernel.XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir = pattern;
        chmod(pattern, 0700);
        env = {{"XDG_RUNTIME_DIR", dir.string()}, {"XDG_CONFIG_HOME", dir.string()}, {"HOME", dir.string()}};
    }
    void TearDown() override {
        std::error_code ec;
        std::filesystem::remove_all(dir, ec);
    }
    std::unique_ptr<CtlRun> start(const std::vector<std::string>& args) {
        return startProgram(ORVIXCTL, args, env, dir);
    }

    UhidReceiver receiver{UhidReceiver::Options{GetParam()}};
    std::filesystem::path dir;
    std::map<std::string, std::string> env;
};

Bytes keyWrite(uint8_t key, uint16_t code) {
    uint8_t hi = code >> 8, lo = code & 0xFF;
    return {0x04, 0x02, 0x01, 0xA4, key, hi, lo, static_cast<uint8_t>(0x5C - key - hi - lo)};
}

TEST_P(CtlKernel, ApplyWritesEveryKeyThroughTheKernel) {
    CtlResult r = start({"apply", "2=STOP", "5=0x1045"})->wait();
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(receiver.outputs(), (std::vector<Bytes>{{0x04, 0x02, 0x01, 0xA4, 0x1F, 0x00, 0x00, 0x3D},
                                                      keyWrite(2, 0x4000),
                                                      keyWrite(4, 0x20B7),
                                                      keyWrite(1, 0x0001),
                                                      keyWrite(0, 0x0000),
                                                      keyWrite(3, 0x1045)}));
}

TEST_P(CtlKernel, ApplyNamesTheKeyWhoseAcknowledgementDoesNotCome) {
    receiver.ackDrop(1);
    CtlResult r = start({"apply", "--timeout", "1"})->wait();
    EXPECT_EQ(r.code, 1);
    EXPECT_THAT(r.err, HasSubstr("orvixctl: apply: key 1 (CURSOR/SCROLL MODE): no acknowledgement from the receiver"));
}

TEST_P(CtlKernel, MonitorFollowsTheReceiverUntilInterrupted) {
    auto monitor = start({"monitor"});
    ASSERT_TRUE(monitor->outputHas("R: 80 00 00 00 00 00 00"));
    ASSERT_TRUE(receiver.sendInput({0x04, 0x81, 0, 0, 0, 0, 0, 0}));
    ASSERT_TRUE(monitor->outputHas("R: 81 00 00 00 00 00 00"));
    receiver.unplug();
    ASSERT_TRUE(monitor->outputHas("Dev out"));
    ASSERT_TRUE(receiver.plug()) << receiver.error();
    ASSERT_TRUE(monitor->outputHas("Dev out", "Dev on-> V: E8F P:  A6"));  // the new instance is taken
    monitor->signal(SIGINT);
    CtlResult r = monitor->wait();
    EXPECT_EQ(r.code, 0) << r.err;
    // The shared node's keyboard and consumer reports never show: only the configuration
    // collection is read.
    EXPECT_THAT(r.out, ::testing::Not(HasSubstr("R: 0")));
}

// A desktop user without the udev rule: the node may be read, not written.
TEST_P(CtlKernel, WithoutWriteAccessApplySaysHowToGetIt) {
    for (const auto& node : {receiver.config().node, receiver.mouse().node}) ASSERT_EQ(chmod(node.c_str(), 0644), 0);
    const std::string errPath = (dir / "unprivileged.err").string();
    int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    ASSERT_GE(err, 0);
    char program[] = ORVIXCTL, apply[] = "apply", home[] = "HOME=/tmp";
    char* argv[] = {program, apply, nullptr};
    char* envp[] = {home, nullptr};
    pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        // Only async-signal-safe calls between fork and exec.
        if (dup2(err, STDERR_FILENO) < 0 || setgroups(0, nullptr) != 0 || setgid(65534) != 0 || setuid(65534) != 0)
            _exit(126);
        execve(program, argv, envp);
        _exit(127);
    }
    close(err);
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 1);
    std::ifstream in(errPath);
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_THAT(text.str(), HasSubstr("orvixctl: apply: No write access. A udev rule grants it"));
    EXPECT_THAT(text.str(), HasSubstr("ATTRS{idVendor}==\"0e8f\", ATTRS{idProduct}==\"00a6\""));
    EXPECT_TRUE(receiver.outputs().empty());
}

INSTANTIATE_TEST_SUITE_P(Layouts, CtlKernel,
                         ::testing::Values(UhidReceiver::Layout::Default, UhidReceiver::Layout::Shared),
                         [](const auto& info) {
                             return info.param == UhidReceiver::Layout::Shared ? std::string("Shared")
                                                                               : std::string("Default");
                         });

}  // namespace
}  // namespace orvix::test
