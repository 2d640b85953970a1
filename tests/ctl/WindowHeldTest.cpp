// While the window's program runs, orvixctl does not write to the receiver it holds; reading
// beside it is fine.

#include <gmock/gmock.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>

#include "app/instance/linux/UnixSingleInstance.h"
#include "tests/ctl/CtlProgram.h"
#include "tests/support/TestLoop.h"

namespace orvix::test {
namespace {

using ::testing::HasSubstr;

TEST_F(CtlTest, WhileTheWindowRunsWritingCommandsSaySoAndListingStillWorks) {
    TestLoop loop;
    auto window = std::make_unique<UnixSingleInstance>(dir.string());
    ASSERT_FALSE(window->createMutex());
    ASSERT_TRUE(window->listen(loop, [](const PostedMessage&) {}));

    for (auto args : std::vector<std::vector<std::string>>{{"status"}, {"apply"}, {"send", "02"}, {"a4", "1F"}}) {
        SCOPED_TRACE(args[0]);
        CtlResult r = run(args);
        EXPECT_EQ(r.code, 1);
        EXPECT_THAT(r.err, HasSubstr("orvixctl: " + args[0] + ": orvix-mouse is running and holds the receiver"));
    }
    EXPECT_EQ(run({"list"}).code, 0);
    auto monitor = start({"monitor"});  // reads only: no status query of its own
    ASSERT_TRUE(monitor->outputHas("Dev on->"));
    control("unlink");
    ASSERT_TRUE(monitor->outputHas("R: 81"));
    monitor->signal(SIGINT);
    EXPECT_EQ(monitor->wait().code, 0);
    EXPECT_TRUE(written().empty());

    // The window's program ended: the commands work again.
    window.reset();
    EXPECT_EQ(run({"status"}).code, 0);
}

TEST_F(CtlTest, ASocketLeftByAWindowThatDiedDoesNotCount) {
    UnixSingleInstance probe(dir.string());
    int fd = socket(AF_UNIX, SOCK_DGRAM, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::strncpy(addr.sun_path, probe.socketPath().c_str(), sizeof addr.sun_path - 1);
    ASSERT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    close(fd);  // the socket file stays, with nobody behind it
    EXPECT_FALSE(probe.nameTaken());
    CtlResult r = run({"status"});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, "linked\n");
}

}  // namespace
}  // namespace orvix::test
