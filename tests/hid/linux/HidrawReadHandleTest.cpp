// The hidraw read handle over stand-in descriptors: a SOCK_SEQPACKET socket pair keeps report
// boundaries and truncates like a hidraw node, and hangs up when its peer closes.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <pthread.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <climits>
#include <future>
#include <optional>
#include <thread>

#include "hid/linux/HidrawReadHandle.h"

namespace orvix::linuxhid {
namespace {

using namespace std::chrono_literals;
using Bytes = std::vector<uint8_t>;

constexpr auto bound = 5s;  // every wait for another thread ends by then

// A device stand-in: `device` goes into the handle, the test plays the kernel on `peer`.
struct StandIn {
    explicit StandIn(bool seqPacket = true) {
        int fds[2];
        if (seqPacket) {
            EXPECT_EQ(socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, fds), 0);
            device = fds[0];
            peer = fds[1];
        } else {
            EXPECT_EQ(pipe2(fds, O_CLOEXEC), 0);
            device = fds[0];
            peer = fds[1];
        }
    }
    ~StandIn() { hangUp(); }
    void send(const Bytes& report) const {
        ASSERT_EQ(::write(peer, report.data(), report.size()), ssize_t(report.size()));
    }
    void hangUp() {
        if (peer >= 0) ::close(peer);
        peer = -1;
    }
    std::unique_ptr<HidrawReadHandle> handle(bool prepend, std::optional<ReportIdSet> accepted = std::nullopt) {
        uint32_t error = 0;
        auto h = HidrawReadHandle::adopt(device, ReportRoute{prepend, accepted}, error);
        EXPECT_TRUE(h) << error;
        return h;
    }
    int device = -1;
    int peer = -1;
};

// One read() on its own thread, so the test can bound the wait.
class BackgroundRead {
public:
    BackgroundRead(HidReadHandle& handle, size_t size) : buffer(size), future_(done_.get_future()) {
        thread_ = std::thread([this, &handle] {
            result = handle.read(buffer.data(), buffer.size());
            done_.set_value();
        });
    }
    ~BackgroundRead() { thread_.join(); }
    bool finished(std::chrono::milliseconds within) { return future_.wait_for(within) == std::future_status::ready; }
    pthread_t nativeHandle() { return thread_.native_handle(); }

    HidReadResult result;
    Bytes buffer;

private:
    std::promise<void> done_;
    std::future<void> future_;
    std::thread thread_;
};

struct ReportCase {
    const char* name;
    bool prepend;
    Bytes sent;
    size_t size;
    Bytes expected;
};

TEST(HidrawReadHandle, ReportsArriveWithTheReportIdFirst) {
    const ReportCase cases[] = {
        {"report ID in the report", false, {0x04, 0x80, 0, 0, 0, 0, 0, 0}, 8, {0x04, 0x80, 0, 0, 0, 0, 0, 0}},
        {"no report IDs: 0 put in front", true, {0x01, 0x02, 0x03}, 4, {0x00, 0x01, 0x02, 0x03}},
        {"no report IDs, one byte", true, {0x07}, 2, {0x00, 0x07}},
        {"no report IDs, longer than the buffer", true, {1, 2, 3, 4, 5}, 4, {0x00, 1, 2, 3}},
        {"report ID, longer than the buffer", false, {0x04, 0x89, 0, 2, 0, 0, 0, 0}, 4, {0x04, 0x89, 0, 2}},
        {"shorter than the buffer", false, {0x04, 0x81}, 8, {0x04, 0x81}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        StandIn standIn;
        auto handle = standIn.handle(c.prepend);
        standIn.send(c.sent);
        standIn.send({0x04, 0x55});  // the next report stays whole and separate
        Bytes buffer(c.size, 0xEE);
        auto result = handle->read(buffer.data(), buffer.size());
        ASSERT_EQ(result.kind, HidReadResult::Data);
        ASSERT_EQ(result.bytes, c.expected.size());
        EXPECT_EQ(Bytes(buffer.begin(), buffer.begin() + long(result.bytes)), c.expected);
        result = handle->read(buffer.data(), buffer.size());
        ASSERT_EQ(result.kind, HidReadResult::Data);
        EXPECT_EQ(buffer[c.prepend ? 1 : 0], 0x04);
    }
}

ReportIdSet ids(std::initializer_list<int> list) {
    ReportIdSet set;
    for (int id : list) set.set(static_cast<size_t>(id));
    return set;
}

// The node of a keyboard (ID 1), a consumer control (ID 3) and the configuration collection
// (ID 4) carries all their reports; each collection's interface reads only its own.
TEST(HidrawReadHandle, ACollectionReadsOnlyItsOwnReportIds) {
    const Bytes keyboard{0x01, 0, 0, 0x04, 0, 0, 0, 0, 0}, consumer{0x03, 0xE9, 0x00},
        status{0x04, 0x80, 0, 0, 0, 0, 0, 0}, unknown{0x07, 0x11}, ack{0x04, 0x89, 0, 2, 0, 0, 0, 0};
    struct Case {
        const char* name;
        std::optional<ReportIdSet> accepted;
        std::vector<Bytes> expected;
    } cases[] = {
        {"configuration collection", ids({4}), {status, ack}},
        {"keyboard collection", ids({1}), {keyboard}},
        {"keyboard and consumer collections", ids({1, 3}), {keyboard, consumer}},
        {"no route: a descriptor that cannot be parsed", std::nullopt, {keyboard, consumer, status, unknown, ack}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        StandIn standIn;
        auto handle = standIn.handle(false, c.accepted);
        for (const Bytes& report : {keyboard, consumer, status, unknown, ack}) standIn.send(report);
        standIn.hangUp();  // after the last report, reads end with Gone
        std::vector<Bytes> read;
        for (;;) {
            Bytes buffer(16);
            auto result = handle->read(buffer.data(), buffer.size());
            if (result.kind != HidReadResult::Data) {
                EXPECT_EQ(result.kind, HidReadResult::Gone);
                break;
            }
            read.emplace_back(buffer.begin(), buffer.begin() + long(result.bytes));
        }
        EXPECT_EQ(read, c.expected);
    }
}

// Without report IDs every report is the collection's own: the 0 put in front is its ID.
TEST(HidrawReadHandle, DeviceWithoutReportIdsPassesEveryReportAsIdZero) {
    StandIn standIn;
    auto handle = standIn.handle(true, ids({0}));
    standIn.send({0x04, 0x01, 0x02});
    Bytes buffer(4);
    auto result = handle->read(buffer.data(), buffer.size());
    ASSERT_EQ(result.kind, HidReadResult::Data);
    EXPECT_EQ(buffer, (Bytes{0x00, 0x04, 0x01, 0x02}));
}

// A stop ends a read that has been dropping other collections' reports.
TEST(HidrawReadHandle, StopEndsAReadThatOnlyMeetsOtherCollectionsReports) {
    StandIn standIn;
    auto handle = standIn.handle(false, ids({4}));
    BackgroundRead read(*handle, 8);
    for (int i = 0; i < 100; ++i) standIn.send({0x01, static_cast<uint8_t>(i)});
    EXPECT_FALSE(read.finished(50ms));
    handle->stop();
    bool finished = read.finished(bound);
    if (!finished) standIn.hangUp();
    ASSERT_TRUE(finished);
    EXPECT_EQ(read.result.kind, HidReadResult::Stopped);
}

TEST(HidrawReadHandle, BufferWithoutRoomForOneByteFailsWithoutLosingTheReport) {
    for (bool prepend : {false, true}) {
        SCOPED_TRACE(prepend);
        StandIn standIn;
        auto handle = standIn.handle(prepend);
        standIn.send({0x04, 0x80});
        Bytes buffer(8);
        auto result = handle->read(buffer.data(), prepend ? 1 : 0);
        EXPECT_EQ(result.kind, HidReadResult::Failed);
        EXPECT_EQ(result.error, uint32_t(EINVAL));
        result = handle->read(buffer.data(), buffer.size());
        ASSERT_EQ(result.kind, HidReadResult::Data);
        EXPECT_EQ(buffer[prepend ? 1 : 0], 0x04);
    }
}

TEST(HidrawReadHandle, StopEndsAPendingReadAndEveryLaterOne) {
    StandIn standIn;
    auto handle = standIn.handle(false);
    {
        BackgroundRead read(*handle, 8);
        EXPECT_FALSE(read.finished(50ms));  // idle: it waits
        handle->stop();
        bool finished = read.finished(bound);
        if (!finished) standIn.hangUp();  // let the thread go, so the test ends
        ASSERT_TRUE(finished);
        EXPECT_EQ(read.result.kind, HidReadResult::Stopped);
    }
    standIn.send({0x04, 0x80});  // a report waiting does not matter any more
    Bytes buffer(8);
    EXPECT_EQ(handle->read(buffer.data(), buffer.size()).kind, HidReadResult::Stopped);
}

TEST(HidrawReadHandle, HangUpMeansGoneForGoodAfterQueuedReports) {
    struct Case {
        const char* name;
        bool seqPacket;
        bool queued;
    } cases[] = {
        {"socket, nothing queued", true, false},
        {"socket, a report queued", true, true},
        {"pipe, nothing queued", false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        StandIn standIn(c.seqPacket);
        auto handle = standIn.handle(false);
        Bytes buffer(8);
        if (c.queued) standIn.send({0x04, 0x80, 0, 0, 0, 0, 0, 0});
        {
            BackgroundRead read(*handle, 8);
            if (!c.queued) {
                EXPECT_FALSE(read.finished(20ms));
            }
            standIn.hangUp();
            bool finished = read.finished(bound);
            if (!finished) handle->stop();
            ASSERT_TRUE(finished);
            if (c.queued) {
                EXPECT_EQ(read.result.kind, HidReadResult::Data);
                EXPECT_EQ(read.buffer[1], 0x80);
            } else {
                EXPECT_EQ(read.result.kind, HidReadResult::Gone);
            }
        }
        EXPECT_EQ(handle->read(buffer.data(), buffer.size()).kind, HidReadResult::Gone);
        EXPECT_EQ(handle->read(buffer.data(), buffer.size()).kind, HidReadResult::Gone);
        handle->stop();
        EXPECT_EQ(handle->read(buffer.data(), buffer.size()).kind, HidReadResult::Stopped);
    }
}

TEST(HidrawReadHandle, OtherReadErrorsFailWithErrnoAndMayBeRetried) {
    // A directory polls readable, and read() fails with EISDIR.
    int fd = ::open("/", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    uint32_t error = 0;
    auto handle = HidrawReadHandle::adopt(fd, ReportRoute{}, error);
    ASSERT_TRUE(handle);
    Bytes buffer(8);
    for (int i = 0; i < 2; ++i) {
        auto result = handle->read(buffer.data(), buffer.size());
        EXPECT_EQ(result.kind, HidReadResult::Failed);
        EXPECT_EQ(result.error, uint32_t(EISDIR));
    }
}

void ignoreSignal(int) {}

TEST(HidrawReadHandle, InterruptedWaitKeepsWaiting) {
    struct sigaction action {
    }, previous{};
    action.sa_handler = ignoreSignal;  // no SA_RESTART: poll() returns EINTR
    sigemptyset(&action.sa_mask);
    ASSERT_EQ(sigaction(SIGUSR1, &action, &previous), 0);
    StandIn standIn;
    auto handle = standIn.handle(true);
    {
        BackgroundRead read(*handle, 8);
        EXPECT_FALSE(read.finished(20ms));
        pthread_kill(read.nativeHandle(), SIGUSR1);
        EXPECT_FALSE(read.finished(50ms));
        standIn.send({0x01, 0x02});
        bool finished = read.finished(bound);
        if (!finished) handle->stop();
        ASSERT_TRUE(finished);
        EXPECT_EQ(read.result.kind, HidReadResult::Data);
        EXPECT_EQ(read.result.bytes, 3u);
    }
    sigaction(SIGUSR1, &previous, nullptr);
}

TEST(HidrawReadHandle, PauseEndsOnStopAndStaysShortAfterIt) {
    StandIn standIn;
    auto handle = standIn.handle(false);
    handle->pause(1);  // returns by itself
    std::promise<void> done;
    auto future = done.get_future();
    std::thread pausing([&] {
        handle->pause(std::numeric_limits<uint32_t>::max());  // the reader's wait once a device has gone
        done.set_value();
    });
    EXPECT_EQ(future.wait_for(50ms), std::future_status::timeout);
    standIn.send({0x04});  // device data does not end a pause
    EXPECT_EQ(future.wait_for(20ms), std::future_status::timeout);
    handle->stop();
    if (future.wait_for(bound) != std::future_status::ready) {
        // Leave the stuck thread a live handle rather than hang the test.
        pausing.detach();
        (void)handle.release();
        FAIL() << "stop() did not end the pause";
    }
    pausing.join();
    handle->pause(std::numeric_limits<uint32_t>::max());  // after stop(): returns at once
    handle->pause(INT_MAX);
}

}  // namespace
}  // namespace orvix::linuxhid
