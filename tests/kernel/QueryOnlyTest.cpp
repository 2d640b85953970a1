// A receiver whose node the user may read but not write (mode 0644, another user): what a desktop
// user gets without a udev rule that gives access. The case runs in a child process that has
// dropped to the unprivileged user 65534; the parent makes the receiver and judges the child.

#include <gtest/gtest.h>

#include <grp.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <thread>

#include "tests/kernel/KernelFixture.h"

namespace orvix::test {
namespace {

using namespace std::chrono_literals;

constexpr uid_t unprivileged = 65534;

// Runs this program's child cases as the unprivileged user. Returns the child's wait status, or -1
// when it had to be killed.
int runChildAsUnprivileged() {
    char self[] = "/proc/self/exe";
    char* argv[] = {self, nullptr};
    char childFlag[] = "ORVIX_KERNEL_CHILD=1";
    char* envp[] = {childFlag, nullptr};
    std::fflush(stdout);
    std::fflush(stderr);
    pid_t pid = fork();
    if (pid < 0) return -1;
    if (pid == 0) {
        // Only async-signal-safe calls between fork and exec.
        if (setgroups(0, nullptr) != 0 || setgid(unprivileged) != 0 || setuid(unprivileged) != 0) _exit(126);
        execve(self, argv, envp);
        _exit(127);
    }
    auto deadline = std::chrono::steady_clock::now() + 3 * kernelWait;
    int status = 0;
    while (waitpid(pid, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            return -1;
        }
        std::this_thread::sleep_for(10ms);
    }
    return status;
}

class QueryOnly : public KernelFixture {};

TEST_F(QueryOnly, ReadableNodeIsTakenAndReportedButNotReadAndWritesFail) {
    ASSERT_TRUE(receiver.plug()) << receiver.error();
    for (const auto& node : {receiver.config().node, receiver.mouse().node})
        ASSERT_EQ(chmod(node.c_str(), 0644), 0) << node;

    int status = runChildAsUnprivileged();
    ASSERT_NE(status, -1) << "the child did not finish";
    ASSERT_TRUE(WIFEXITED(status)) << "the child died, status " << status;
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the child's cases failed (126: it could not change user)";
    EXPECT_TRUE(receiver.outputs().empty()) << "a report reached the receiver";
}

// The child's side: no access to /dev/uhid, so no receiver of its own.
class QueryOnlyChild : public KernelConnection {};

TEST_F(QueryOnlyChild, ListedTakenReportedButNotReadAndWritesFail) {
    ASSERT_EQ(getuid(), unprivileged);
    connect();
    ASSERT_TRUE(waitHeld(true));
    EXPECT_EQ(conn->chid.count(), 2);

    THidDevice* dev = conn->heldDevice();
    struct stat st {};
    ASSERT_EQ(stat(dev->PnPInfo().DevicePath.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0644u);
    EXPECT_EQ(dev->Caps().InputReportByteLength, 8);
    EXPECT_EQ(dev->Caps().OutputReportByteLength, 8);
    EXPECT_EQ(dev->Attributes().VendorID, 0x0E8F);
    EXPECT_EQ(dev->Attributes().ProductID, 0x00A6);
    EXPECT_FALSE(dev->HasReadWriteAccess());
    EXPECT_FALSE(dev->IsReading());
    EXPECT_EQ(changes, std::vector<bool>{true});
    EXPECT_EQ(console.caption, "Dev On");
    EXPECT_EQ(linesStartingWith("Dev on->"), 1);

    EXPECT_FALSE(conn->uSendA4(0x1F));
    EXPECT_EQ(linesStartingWith("W:"), 0);
    // The console says how to get write access: the rule line for this vendor and product.
    EXPECT_NE(console.accessHint.find(R"(SUBSYSTEM=="hidraw", ATTRS{idVendor}=="0e8f", ATTRS{idProduct}=="00a6", )"
                                      R"(TAG+="uaccess")"),
              std::string::npos)
        << console.accessHint;
}

}  // namespace
}  // namespace orvix::test
