// Device-change notifications: the start-up call, one call per batch of events, and silence once
// the notifications have stopped. A pipe stands in for the udev monitor.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include "hid/linux/DeviceChangeNotifier.h"
#include "tests/support/TestLoop.h"

namespace orvix::linuxhid {
namespace {

using namespace std::chrono_literals;

class PipeSource final : public DeviceChangeSource {
public:
    PipeSource() {
        int fds[2];
        EXPECT_EQ(pipe2(fds, O_CLOEXEC | O_NONBLOCK), 0);
        readEnd_ = fds[0];
        writeEnd = fds[1];
    }
    ~PipeSource() override {
        ::close(readEnd_);
        ::close(writeEnd);
    }
    int fd() const override { return readEnd_; }
    bool drain() override {
        bool any = false;
        char buffer[16];
        while (::read(readEnd_, buffer, 1) == 1) any = true;  // one byte per event
        return any;
    }
    void event() const { ASSERT_EQ(::write(writeEnd, "e", 1), 1); }
    int writeEnd = -1;

private:
    int readEnd_ = -1;
};

class Notifications : public testing::Test {
protected:
    std::unique_ptr<DeviceChangeNotifier> start(bool withSource = true) {
        auto source = withSource ? std::make_unique<PipeSource>() : nullptr;
        pipe = source.get();
        return std::make_unique<DeviceChangeNotifier>(loop, std::move(source),
                                                      [this](int32_t trigger) { calls.push_back(trigger); });
    }
    test::TestLoop loop;
    PipeSource* pipe = nullptr;
    std::vector<int32_t> calls;
};

TEST_F(Notifications, StartUpCallFirstThenOneCallPerBatch) {
    auto notifier = start();
    pipe->event();
    pipe->event();
    pipe->event();
    ASSERT_TRUE(loop.runUntil([&] { return calls.size() >= 2; }, 2s));
    loop.runFor(30ms);
    EXPECT_EQ(calls, (std::vector<int32_t>{-1, 0}));
    pipe->event();
    ASSERT_TRUE(loop.runUntil([&] { return calls.size() >= 3; }, 2s));
    loop.runFor(30ms);
    EXPECT_EQ(calls, (std::vector<int32_t>{-1, 0, 0}));
}

TEST_F(Notifications, WithoutSourceOnlyTheStartUpCallComes) {
    auto notifier = start(false);
    loop.runFor(30ms);
    EXPECT_EQ(calls, (std::vector<int32_t>{-1}));
}

TEST_F(Notifications, NothingIsCalledOnceStoppedEvenWhatWasAlreadyPosted) {
    auto notifier = start();  // its start-up call is posted at once
    notifier.reset();
    loop.runFor(30ms);
    EXPECT_TRUE(calls.empty());

    // A change call posted by the watch, then stopped before the loop runs it: a second watch,
    // on a descriptor numbered after the monitor's, runs in the same turn of the loop.
    notifier = start();
    ASSERT_TRUE(loop.runUntil([&] { return !calls.empty(); }, 2s));
    PipeSource later;
    auto stopper = loop.watchReadable(later.fd(), [&] {
        later.drain();
        notifier.reset();
    });
    ASSERT_GT(later.fd(), pipe->fd());
    pipe->event();
    later.event();
    ASSERT_TRUE(loop.runUntil([&] { return !notifier; }, 2s));
    loop.runFor(30ms);
    EXPECT_EQ(calls, (std::vector<int32_t>{-1}));
}

TEST_F(Notifications, NotifyMayStopTheNotificationsItself) {
    std::unique_ptr<DeviceChangeNotifier> notifier;
    auto source = std::make_unique<PipeSource>();
    PipeSource* events = source.get();
    notifier = std::make_unique<DeviceChangeNotifier>(loop, std::move(source), [&](int32_t trigger) {
        calls.push_back(trigger);
        if (trigger == 0) notifier.reset();
    });
    events->event();
    ASSERT_TRUE(loop.runUntil([&] { return calls.size() >= 2; }, 2s));
    EXPECT_FALSE(notifier);
    loop.runFor(30ms);
    EXPECT_EQ(calls, (std::vector<int32_t>{-1, 0}));
}

}  // namespace
}  // namespace orvix::linuxhid
