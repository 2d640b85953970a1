#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

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

    // Starts the real program with these variables replaced (the simulated receiver, no display).
    static pid_t startProgram(std::vector<std::string> vars) {
        vars.push_back("ORVIX_HID=sim");
        vars.push_back("QT_QPA_PLATFORM=offscreen");
        std::vector<char*> envp;
        for (char** e = environ; *e; ++e) {
            std::string entry = *e;
            bool replaced = false;
            for (const std::string& v : vars) replaced |= entry.compare(0, v.find('=') + 1, v, 0, v.find('=') + 1) == 0;
            if (!replaced) envp.push_back(*e);
        }
        for (std::string& v : vars) envp.push_back(v.data());
        envp.push_back(nullptr);
        char* argv[] = {const_cast<char*>(ORVIX_PROGRAM), nullptr};
        pid_t pid;
        return posix_spawn(&pid, ORVIX_PROGRAM, nullptr, nullptr, argv, envp.data()) == 0 ? pid : -1;
    }

    // Waits for the program to end: its exit code, or -1 when it did not end in time (it is then
    // still running).
    static int exitCode(pid_t pid, std::chrono::milliseconds timeout) {
        for (auto waited = 0ms; waited < timeout; waited += 10ms) {
            int status;
            if (waitpid(pid, &status, WNOHANG) == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : -3;
            std::this_thread::sleep_for(10ms);
        }
        return -1;
    }

    static void stop(pid_t pid) {
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
    }

    // Starts the real program as a later copy and returns its exit code (-1: did not end in time).
    int runSecondCopy(std::vector<std::string> vars = {}) {
        vars.push_back("XDG_RUNTIME_DIR=" + folder);
        pid_t pid = startProgram(std::move(vars));
        if (pid < 0) return -2;
        for (int i = 0; i < 500; ++i) {
            int status;
            if (waitpid(pid, &status, WNOHANG) == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : -3;
            std::this_thread::sleep_for(10ms);
        }
        stop(pid);
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

struct TokenStart {
    const char* name;
    std::string token;  // XDG_ACTIVATION_TOKEN of the second start
    bool passed;        // whether it reaches the first copy
};

class SecondStartToken : public UnixInstance, public ::testing::WithParamInterface<TokenStart> {};

TEST_P(SecondStartToken, GoesJustAheadOfTheWakeWhenAcceptable) {
    const TokenStart& c = GetParam();
    UnixSingleInstance first(folder);
    ASSERT_FALSE(first.createMutex());
    std::vector<PostedMessage> got;
    ASSERT_TRUE(first.listen(loop, [&](const PostedMessage& m) { got.push_back(m); }));

    EXPECT_EQ(runSecondCopy({"XDG_ACTIVATION_TOKEN=" + c.token}), 0);
    loop.runUntil([&] { return !got.empty() && got.back().lParam == kWakeOpen; }, 2s);
    loop.runFor(50ms);
    ASSERT_EQ(got.size(), c.passed ? 2u : 1u);
    if (c.passed) {
        EXPECT_EQ(got[0].msg, first.registerWakeMessage());
        EXPECT_EQ(got[0].wParam, kWakeSignature);
        EXPECT_EQ(got[0].lParam, kWakeToken);
        EXPECT_EQ(got[0].token, c.token);
    }
    EXPECT_EQ(got.back().lParam, kWakeOpen) << "the wake itself always comes";
    EXPECT_EQ(got.back().token, "");
}

INSTANTIATE_TEST_SUITE_P(Instance, SecondStartToken,
                         ::testing::Values(TokenStart{"Plain", "kwin-7f3a9c", true},
                                           TokenStart{"Longest", std::string(kMaxActivationToken, 't'), true},
                                           TokenStart{"Empty", "", false},
                                           TokenStart{"TooLong", std::string(kMaxActivationToken + 1, 't'), false},
                                           TokenStart{"ControlCharacter", "ab\x1b[2Jcd", false},
                                           TokenStart{"Blank", "two words", false}),
                         [](const auto& info) { return std::string(info.param.name); });

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
        std::string text;
        bool ok;
    };
    const std::string longest(kMaxActivationToken, 'x');
    for (const Text& t : {Text{"1 2 3", true}, Text{"1 2 -3", true}, Text{"1 2", false}, Text{"1 2 3 4", false},
                          Text{"x 2 3", false}, Text{"", false}, Text{"1 2 3\n", false},
                          // The token message: one blank, then the whole token.
                          Text{"1 2 2 tok-1_TIME5", true}, Text{"1 2 2 " + longest, true}, Text{"1 2 2", true},
                          Text{"1 2 2 ", false}, Text{"1 2 2  tok", false}, Text{"1 2 2 tok\n", false},
                          Text{"1 2 2 a b", false}, Text{"1 2 2 a\x7f", false}, Text{"1 2 2 caf\xc3\xa9", false},
                          Text{std::string("1 2 2 a\0b", 9), false}, Text{"1 2 2 " + longest + "x", false},
                          Text{"1 2 1 tok", false}, Text{"1 2 2\ttok", false}}) {
        PostedMessage m;
        EXPECT_EQ(UnixSingleInstance::parse(t.text, m), t.ok) << t.text;
    }
    PostedMessage read;
    ASSERT_TRUE(UnixSingleInstance::parse(UnixSingleInstance::format({7, 45470, kWakeToken, "a-b"}), read));
    EXPECT_EQ(read.token, "a-b");
}

TEST_F(UnixInstance, ADatagramLongerThanAnyMessageIsDroppedWholeAndReadingGoesOn) {
    UnixSingleInstance first(folder);
    ASSERT_FALSE(first.createMutex());
    std::vector<PostedMessage> got;
    ASSERT_TRUE(first.listen(loop, [&](const PostedMessage& m) { got.push_back(m); }));
    // Its first part alone would read as a token message.
    std::string huge = "5 45470 2 " + std::string(4000, 'a');
    int fd = socket(AF_UNIX, SOCK_DGRAM, 0);
    ASSERT_GE(fd, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::snprintf(addr.sun_path, sizeof addr.sun_path, "%s", first.socketPath().c_str());
    EXPECT_EQ(sendto(fd, huge.data(), huge.size(), 0, reinterpret_cast<sockaddr*>(&addr), sizeof addr),
              static_cast<ssize_t>(huge.size()));
    close(fd);
    first.broadcast({5, 45470, 1});
    loop.runUntil([&] { return !got.empty(); }, 2s);
    loop.runFor(50ms);
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].lParam, 1);
}

TEST_F(UnixInstance, NoPrivateFolderMeansEveryStartRunsAsAFirstCopy) {
    UnixSingleInstance nowhere("");
    EXPECT_FALSE(nowhere.createMutex());
    EXPECT_FALSE(nowhere.listen(loop, [](const PostedMessage&) {}));
    nowhere.broadcast({1, 45470, 1});  // goes nowhere, harmlessly
}

struct FolderCase {
    const char* name;
    mode_t mode;
    bool otherOwner;  // owned by nobody (65534)
    bool link;        // a link to a private folder
    bool file;        // not a folder at all
    bool isPrivate;
};

class RuntimeFolders : public UnixInstance, public ::testing::WithParamInterface<FolderCase> {};

TEST_P(RuntimeFolders, AreUsedOnlyWhenTheUsersOwnAndClosedToOthers) {
    const FolderCase& c = GetParam();
    if (c.otherOwner && geteuid() != 0) GTEST_SKIP() << "making a folder another user's needs root";
    std::string path = folder + "/candidate";
    if (c.file) {
        close(open(path.c_str(), O_CREAT | O_WRONLY, 0700));
    } else if (c.link) {
        mkdir((folder + "/target").c_str(), 0700);
        symlink((folder + "/target").c_str(), path.c_str());
    } else {
        mkdir(path.c_str(), 0700);
        chmod(path.c_str(), c.mode);
        if (c.otherOwner) ASSERT_EQ(chown(path.c_str(), 65534, 65534), 0);
    }
    EXPECT_EQ(UnixSingleInstance::privateFolder(path), c.isPrivate);
    // As $XDG_RUNTIME_DIR: used when private, else the fallback is made and used.
    std::string fallback = folder + "/fallback";
    EXPECT_EQ(UnixSingleInstance::chooseFolder(path.c_str(), {fallback}), c.isPrivate ? path : fallback);
}

INSTANTIATE_TEST_SUITE_P(Instance, RuntimeFolders,
                         ::testing::Values(FolderCase{"Private", 0700, false, false, false, true},
                                           FolderCase{"OpenToTheGroup", 0750, false, false, false, false},
                                           FolderCase{"OpenToAll", 0777, false, false, false, false},
                                           FolderCase{"Sticky", 01777, false, false, false, false},
                                           FolderCase{"WithoutAccessForTheOwner", 0500, false, false, false, false},
                                           FolderCase{"AnotherUsers", 0700, true, false, false, false},
                                           FolderCase{"ALink", 0700, false, true, false, false},
                                           FolderCase{"AFile", 0700, false, false, true, false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(UnixInstance, FallbacksAreMadePrivateAndOnesSomeoneElseHoldsArePassedOver) {
    std::string missing = folder + "/missing";
    std::string open = folder + "/open";
    mkdir(open.c_str(), 0755);
    std::string made = folder + "/made";
    EXPECT_EQ(UnixSingleInstance::chooseFolder(missing.c_str(), {open, made}), made);
    struct stat st {};
    ASSERT_EQ(lstat(made.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    EXPECT_EQ(UnixSingleInstance::chooseFolder(nullptr, {made}), made);
    EXPECT_EQ(UnixSingleInstance::chooseFolder("", {open}), "") << "nowhere private: no single instance";
}

// The cache fallback of a fresh home, whose ~/.cache does not exist yet: made with its parent, and
// only when it is used, so a start with a private runtime folder makes nothing in the home.
TEST_F(UnixInstance, TheCacheFallbackIsMadeWithItsParentOnlyWhenUsed) {
    std::string cacheFolder = folder + "/home/.cache/orvix-mouse";
    mkdir((folder + "/home").c_str(), 0755);
    EXPECT_EQ(UnixSingleInstance::chooseFolder(nullptr, {cacheFolder}), cacheFolder);
    EXPECT_TRUE(UnixSingleInstance::privateFolder(cacheFolder));

    std::string runtime = folder + "/run", home = folder + "/fresh-home";
    mkdir(runtime.c_str(), 0700);
    mkdir(home.c_str(), 0755);
    pid_t first = startProgram({"XDG_RUNTIME_DIR=" + runtime, "HOME=" + home});
    ASSERT_GT(first, 0);
    EXPECT_EQ(exitCode(first, 2000ms), -1) << "the program must run as the first copy";
    EXPECT_TRUE(fs::is_empty(home));
    if (exitCode(first, 0ms) == -1) stop(first);
}

// Another user's lock file in a shared runtime folder would make every start a "second copy"
// that ends at once: the real program never trusts such a folder.
TEST_F(UnixInstance, AnotherUsersLockInASharedRuntimeFolderNeverSilencesTheProgram) {
    std::string shared = folder + "/shared";
    mkdir(shared.c_str(), 0777);
    chmod(shared.c_str(), 01777);
    UnixSingleInstance squatter(shared);
    ASSERT_FALSE(squatter.createMutex()) << "the lock is held from here";
    std::string tmp = folder + "/tmp";
    mkdir(tmp.c_str(), 0700);
    std::vector<std::string> env{"XDG_RUNTIME_DIR=" + shared, "TMPDIR=" + tmp, "HOME=" + folder,
                                 "XDG_CONFIG_HOME=" + folder + "/config", "XDG_CACHE_HOME=" + folder + "/cache"};

    pid_t first = startProgram(env);
    ASSERT_GT(first, 0);
    EXPECT_EQ(exitCode(first, 2000ms), -1) << "the program must run as the first copy";
    std::string own = tmp + "/orvix-mouse-" + std::to_string(geteuid());
    EXPECT_TRUE(UnixSingleInstance::privateFolder(own));
    // A later start meets the first in the same private folder.
    pid_t second = startProgram(env);
    EXPECT_EQ(exitCode(second, 5000ms), 0);
    if (exitCode(first, 0ms) == -1) stop(first);
    if (exitCode(second, 0ms) == -1) stop(second);
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
