#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <random>
#include <thread>

#include "tests/hid/ControllerFixture.h"

namespace orvix::test {
namespace {

using namespace std::chrono_literals;

class ReaderTest : public ControllerFixture {
protected:
    // Builds the controller over one receiver "R" and holds it.
    void holdReceiver(THidDeviceController::Events events) {
        plug("R");
        create(std::move(events));
        settle();
        ASSERT_TRUE(chid->CheckOutByIndex(held, 0));
        ASSERT_TRUE(held->IsReading());
    }
    void holdReceiver() { holdReceiver(recordingEvents()); }
};

TEST_F(ReaderTest, ReportIsHandedToTheMainThreadWithTheReportIdApart) {
    std::thread::id mainThread = std::this_thread::get_id(), calledOn;
    auto events = recordingEvents();
    events.OnDeviceData = [&](THidDevice&, uint8_t id, const uint8_t* data, uint16_t size) {
        calledOn = std::this_thread::get_id();
        data_.push_back({id, std::vector<uint8_t>(data, data + size)});
    };
    holdReceiver(events);

    fake->pushReport("R", {4, 1, 2, 3, 4, 5, 6, 7});
    ASSERT_TRUE(loop.runUntil([&] { return !data_.empty(); }));
    EXPECT_EQ(calledOn, mainThread);
    EXPECT_EQ(data_[0].reportId, 4);
    EXPECT_EQ(data_[0].data, (std::vector<uint8_t>{1, 2, 3, 4, 5, 6, 7}));
}

TEST_F(ReaderTest, ReportsArriveOneAtATimeInOrderAndEmptyReadsDeliverNothing) {
    holdReceiver();
    fake->pushReport("R", {4, 1});
    fake->pushReport("R", {});
    fake->pushReport("R", {4, 2});
    fake->pushReport("R", {4, 3});
    ASSERT_TRUE(loop.runUntil([&] { return data_.size() >= 3; }));
    loop.runFor(20ms);
    ASSERT_EQ(data_.size(), 3u);
    for (uint8_t i = 0; i < 3; ++i) EXPECT_EQ(data_[i].data, std::vector<uint8_t>{uint8_t(i + 1)});
}

TEST_F(ReaderTest, FailedReadIsReportedAndReadingGoesOn) {
    holdReceiver();
    std::vector<uint32_t> errors;
    held->setOnDataError([&](THidDevice&, uint32_t code) { errors.push_back(code); });
    held->setThreadSleepTime(1);
    fake->pushReadError("R", 31);
    fake->pushReport("R", {4, 9});
    ASSERT_TRUE(loop.runUntil([&] { return !data_.empty(); }));
    EXPECT_EQ(errors, std::vector<uint32_t>{31});
}

TEST_F(ReaderTest, GoneDeviceIsReportedOnceAndTheReaderWaitsWithoutSpinning) {
    holdReceiver();
    std::vector<uint32_t> errors;
    held->setOnDataError([&](THidDevice&, uint32_t code) { errors.push_back(code); });
    ASSERT_TRUE(loop.runUntil([&] { return fake->readCalls() >= 1; }));
    fake->unplug("R");
    ASSERT_TRUE(loop.runUntil([&] { return !errors.empty(); }));
    int calls = fake->readCalls();
    loop.runFor(50ms);
    EXPECT_EQ(fake->readCalls(), calls) << "no read is started on a gone device";
    EXPECT_EQ(errors.size(), 1u);
    chid->CheckIn(held);
    EXPECT_EQ(fake->openReadHandles(), 0);
}

TEST_F(ReaderTest, StopWhileIdleReturnsPromptly) {
    holdReceiver();
    ASSERT_TRUE(loop.runUntil([&] { return fake->readCalls() >= 1; }));
    auto start = std::chrono::steady_clock::now();
    chid->CheckIn(held);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 2s) << "a stop request ends a waiting read";
    EXPECT_EQ(fake->openReadHandles(), 0);
}

TEST_F(ReaderTest, PendingHandOverRunsInsideCheckInAndNothingAfterIt) {
    holdReceiver();
    fake->pushReport("R", {4, 1});
    // Wait, without running the loop, until the reader has taken the report and waits for the
    // main thread to run its hand-over.
    for (int i = 0; i < 500 && fake->queued("R") > 0; ++i) std::this_thread::sleep_for(2ms);
    ASSERT_EQ(fake->queued("R"), 0u);
    EXPECT_TRUE(data_.empty());
    chid->CheckIn(held);
    EXPECT_EQ(data_.size(), 1u) << "the waiting hand-over ran inside CheckIn";
    loop.runFor(20ms);
    EXPECT_EQ(data_.size(), 1u);
}

// A hand-over that CheckIn runs while it stops the reader still finds the device in its holder's
// variable, and may even give it back itself.
TEST_F(ReaderTest, HandOverRunInsideCheckInFindsTheDeviceStillHeld) {
    for (bool checksIn : {false, true}) {
        SCOPED_TRACE(checksIn ? "the handler checks the device in" : "the handler only looks");
        auto events = recordingEvents();
        std::vector<bool> heldInHandler;
        events.OnDeviceData = [&](THidDevice& dev, uint8_t, const uint8_t*, uint16_t) {
            heldInHandler.push_back(held == &dev);
            if (checksIn) chid->CheckIn(held);
        };
        plug("R");
        create(std::move(events));
        settle();
        ASSERT_TRUE(chid->CheckOutByIndex(held, 0));
        fake->pushReport("R", {4, 1});
        for (int i = 0; i < 500 && fake->queued("R") > 0; ++i) std::this_thread::sleep_for(2ms);
        ASSERT_EQ(fake->queued("R"), 0u);
        chid->CheckIn(held);
        EXPECT_EQ(heldInHandler, std::vector<bool>{true});
        EXPECT_EQ(held, nullptr);
        ASSERT_EQ(chid->count(), 1);
        EXPECT_FALSE(chid->device(0)->IsCheckedOut());
        EXPECT_FALSE(chid->device(0)->IsReading());
        EXPECT_EQ(fake->openReadHandles(), 0);
        chid.reset();
        fake = nullptr;
    }
}

TEST_F(ReaderTest, DataHandlerThatChecksTheDeviceInDoesNotDeadlock) {
    auto events = recordingEvents();
    events.OnDeviceData = [&](THidDevice&, uint8_t id, const uint8_t* data, uint16_t size) {
        data_.push_back({id, std::vector<uint8_t>(data, data + size)});
        chid->CheckIn(held);
    };
    holdReceiver(events);
    fake->pushReport("R", {4, 1});
    fake->pushReport("R", {4, 2});
    ASSERT_TRUE(loop.runUntil([&] { return held == nullptr; }));
    loop.runFor(20ms);
    EXPECT_EQ(data_.size(), 1u);
    EXPECT_EQ(fake->openReadHandles(), 0);
}

TEST_F(ReaderTest, DataHandlerOfAGoneDeviceThatChecksItInDestroysItSafely) {
    auto events = recordingEvents();
    events.OnDeviceUnplug = {};
    events.OnDeviceData = [&](THidDevice&, uint8_t id, const uint8_t* data, uint16_t size) {
        data_.push_back({id, std::vector<uint8_t>(data, data + size)});
        chid->CheckIn(held);  // the device is unplugged: this destroys it while its handler runs
    };
    holdReceiver(events);
    fake->pushReport("R", {4, 1});
    fake->unplug("R");
    fake->postChange();
    ASSERT_TRUE(loop.runUntil([&] { return held == nullptr; }));
    loop.runFor(20ms);
    EXPECT_EQ(chid->count(), 0);
}

// A held device whose read handle cannot be opened at check-out (its node still settling: ENODEV;
// the process out of descriptors: EMFILE) is not left deaf: the reader reports the failure as it
// reports a failed read, and tries again after its pause until the handle opens.
class ReadOpenRetry : public ReaderTest, public ::testing::WithParamInterface<uint32_t> {
protected:
    void holdUnopenable() {
        FakeInterface iface;
        iface.readOpenError = GetParam();
        plug("R", iface);
        create();
        settle();
        chid->setOnDeviceDataError([this](THidDevice&, uint32_t code) { errors.push_back(code); });
        chid->setDevThreadSleepTime(10);
        ASSERT_TRUE(chid->CheckOutByIndex(held, 0));
        EXPECT_TRUE(held->IsReading());
        // The failure at check-out, then at least one more after a pause.
        ASSERT_TRUE(loop.runUntil([&] { return errors.size() >= 2; }));
        EXPECT_EQ(errors, std::vector<uint32_t>(errors.size(), GetParam()));
        EXPECT_GE(fake->readOpens(), 2);
    }
    std::vector<uint32_t> errors;
};

TEST_P(ReadOpenRetry, ReaderOpensItsHandleOnceItCanAndDelivers) {
    holdUnopenable();
    fake->setReadOpenError("R", 0);
    fake->pushReport("R", {4, 0x80, 0, 0, 0, 0, 0, 0});
    ASSERT_TRUE(loop.runUntil([&] { return !data_.empty(); }));
    EXPECT_EQ(data_[0].data, (std::vector<uint8_t>{0x80, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(fake->openReadHandles(), 1);
    const size_t errorsOnceOpen = errors.size();
    const int opensOnceOpen = fake->readOpens();
    loop.runFor(50ms);
    EXPECT_EQ(errors.size(), errorsOnceOpen) << "no retry once the handle is open";
    EXPECT_EQ(fake->readOpens(), opensOnceOpen);
}

TEST_P(ReadOpenRetry, CheckInEndsTheRetriesPromptly) {
    holdUnopenable();
    auto start = std::chrono::steady_clock::now();
    chid->CheckIn(held);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 2s);
    const int opens = fake->readOpens();
    loop.runFor(50ms);
    EXPECT_EQ(fake->readOpens(), opens) << "nothing tries again after the check-in";
    EXPECT_EQ(fake->openReadHandles(), 0);
}

INSTANTIATE_TEST_SUITE_P(Reader, ReadOpenRetry, ::testing::Values(19u /* ENODEV */, 24u /* EMFILE */),
                         [](const auto& info) { return info.param == 19u ? "ENODEV" : "EMFILE"; });

TEST_F(ReaderTest, ReportsRacingCheckInNeverDeadlockNorArriveAfterIt) {
    plug("R");
    create();
    settle();
    std::mt19937 random(7);
    for (int round = 0; round < 200; ++round) {
        ASSERT_TRUE(chid->CheckOutByIndex(held, 0));
        std::atomic<bool> pushing{true};
        std::thread pusher([&] {
            for (uint8_t n = 0; pushing; ++n) {
                fake->pushReport("R", {4, n});
                std::this_thread::yield();
            }
        });
        loop.runFor(std::chrono::milliseconds(random() % 3));
        chid->CheckIn(held);
        size_t atCheckIn = data_.size();
        pushing = false;
        pusher.join();
        loop.runFor(2ms);
        ASSERT_EQ(data_.size(), atCheckIn) << "round " << round;
    }
}

}  // namespace
}  // namespace orvix::test
