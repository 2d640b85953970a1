#include <gtest/gtest.h>

#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "app/instance/linux/UnixSingleInstance.h"
#include "tests/support/TestLoop.h"

extern char** environ;

namespace orvix::test {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

class UnixInstance : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/orvix-instance.XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder = pattern;
        chmod(folder.c_str(), 0700);
    }
    void TearDown() override { fs::remove_all(folder); }

    // Starts the real program as a later copy and returns its exit code (-1: did not end in time).
    int runSecondCopy() {
        std::string env = "XDG_RUNTIME_DIR=" + folder;
        std::vector<char*> envp;
        for (char** e = environ; *e; ++e)
            if (std::string(*e).rfind("XDG_RUNTIME_DIR=", 0) != 0) envp.push_back(*e);
        envp.push_back(env.data());
        envp.push_back(nullptr);
        char* argv[] = {const_cast<char*>(ORVIX_PROGRAM), nullptr};
        pid_t pid;
        if (posix_spawn(&pid, ORVIX_PROGRAM, nullptr, nullptr, argv, envp.data()) != 0) return -2;
        for (int i = 0; i < 500; ++i) {
            int status;
            if (waitpid(pid, &status, WNOHANG) == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : -3;
            std::this_thread::sleep_for(10ms);
        }
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
        return -1;
    }

    std::string folder;
    TestLoop loop;
};

TEST_F(UnixInstance, FirstCopyHoldsTheNameAndALaterOneFindsItTaken) {
    UnixSingleInstance first(folder), second(folder);
    EXPECT_FALSE(first.createMutex());
    EXPECT_TRUE(second.createMutex());
    EXPECT_EQ(first.registerWakeMessage(), second.registerWakeMessage());
    EXPECT_GE(first.registerWakeMessage(), 0xC000u);
}

TEST_F(UnixInstance, SecondStartOfTheProgramWakesTheFirstOnceAndEndsWithZero) {
    UnixSingleInstance first(folder);
    ASSERT_FALSE(first.createMutex());
    std::vector<PostedMessage> got;
    ASSERT_TRUE(first.listen(loop, [&](const PostedMessage& m) { got.push_back(m); }));

    EXPECT_EQ(runSecondCopy(), 0);
    loop.runUntil([&] { return !got.empty(); }, 2s);
    loop.runFor(50ms);
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].msg, first.registerWakeMessage());
    EXPECT_EQ(got[0].wParam, 45470u);
    EXPECT_EQ(got[0].lParam, 1);
}

TEST_F(UnixInstance, ACopyThatWasKilledDoesNotBlockTheNextStart) {
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    pid_t child = fork();
    if (child == 0) {
        UnixSingleInstance killed(folder);
        TestLoop childLoop;
        bool ok = !killed.createMutex() && killed.listen(childLoop, [](const PostedMessage&) {});
        char c = ok ? 'y' : 'n';
        [[maybe_unused]] ssize_t n = write(ready[1], &c, 1);
        pause();
        _exit(0);
    }
    char c = 0;
    ASSERT_EQ(read(ready[0], &c, 1), 1);
    ASSERT_EQ(c, 'y');
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    close(ready[0]);
    close(ready[1]);
    ASSERT_TRUE(fs::exists(folder + "/Quano-Tessel-V1.01.sock")) << "the dead copy left its socket";

    UnixSingleInstance next(folder);
    EXPECT_FALSE(next.createMutex()) << "the lock went with the killed copy";
    std::vector<PostedMessage> got;
    ASSERT_TRUE(next.listen(loop, [&](const PostedMessage& m) { got.push_back(m); }));
    EXPECT_EQ(runSecondCopy(), 0);
    EXPECT_TRUE(loop.runUntil([&] { return got.size() == 1; }, 2s));
}

TEST_F(UnixInstance, SecondStartWithoutAListeningFirstCopyStillEnds) {
    UnixSingleInstance first(folder);
    ASSERT_FALSE(first.createMutex());  // holds the name but never listens
    EXPECT_EQ(runSecondCopy(), 0);
}

TEST_F(UnixInstance, MalformedDatagramsAreIgnored) {
    UnixSingleInstance first(folder);
    ASSERT_FALSE(first.createMutex());
    std::vector<PostedMessage> got;
    ASSERT_TRUE(first.listen(loop, [&](const PostedMessage& m) { got.push_back(m); }));
    for (const PostedMessage& m : {PostedMessage{5, 45470, 0}, PostedMessage{5, 1, 1}}) first.broadcast(m);
    loop.runUntil([&] { return got.size() == 2; }, 2s);
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[0].lParam, 0);
    EXPECT_EQ(got[1].wParam, 1u);

    struct Text {
        const char* text;
        bool ok;
    };
    for (Text t : {Text{"1 2 3", true}, Text{"1 2 -3", true}, Text{"1 2", false}, Text{"1 2 3 4", false},
                   Text{"x 2 3", false}, Text{"", false}, Text{"1 2 3\n", false}}) {
        PostedMessage m;
        EXPECT_EQ(UnixSingleInstance::parse(t.text, m), t.ok) << t.text;
    }
}

TEST_F(UnixInstance, NoPrivateFolderMeansEveryStartRunsAsAFirstCopy) {
    UnixSingleInstance nowhere("");
    EXPECT_FALSE(nowhere.createMutex());
    EXPECT_FALSE(nowhere.listen(loop, [](const PostedMessage&) {}));
    nowhere.broadcast({1, 45470, 1});  // goes nowhere, harmlessly
}

TEST_F(UnixInstance, AFolderPathTooLongForASocketIsRefusedNotCut) {
    std::string deep = folder + "/" + std::string(120, 'd');
    fs::create_directories(deep);
    UnixSingleInstance inDeep(deep);
    EXPECT_FALSE(inDeep.createMutex());
    EXPECT_FALSE(inDeep.listen(loop, [](const PostedMessage&) {}));
}

}  // namespace
}  // namespace orvix::test
