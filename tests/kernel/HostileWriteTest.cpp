// Receivers that misbehave around the writes, through the kernel: acknowledgements for keys never
// written, a receiver that goes as it takes a key write (the writer may still be inside write()),
// and a destroy from another thread at a point of the sequence no one chose. The sequence's rules
// hold: each frame is written once and in order, nothing after the removal, and the removal is
// reported once.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <thread>

#include "tests/kernel/WindowSide.h"

namespace orvix::test {
namespace {

using namespace std::chrono_literals;

class HostileWrites : public KernelWindowSide {
protected:
    void SetUp() override {
        ASSERT_TRUE(receiver.ok()) << receiver.error();
        ASSERT_TRUE(receiver.plug()) << receiver.error();
        connectAsTheWindow();
    }

    // Sends an acknowledgement naming `key` and waits until the main thread has handled it.
    void ack(int key) {
        const size_t before = received.size();
        ASSERT_TRUE(receiver.sendInput({0x04, 0x89, 0x00, static_cast<uint8_t>(key), 0, 0, 0, 0}));
        ASSERT_TRUE(loop.runUntil([&] { return received.size() > before; }, kernelWait)) << "ack for " << key;
    }

    UhidReceiver receiver;  // TearDown ends the connection before the receiver goes
};

// While idle an acknowledgement writes nothing; while a row waits, each one naming another key
// writes that row again and the sequence stays on it.
TEST_F(HostileWrites, AcknowledgementsForKeysNeverWrittenRewriteTheRowOrWriteNothing) {
    for (int key = 0; key < 256; ++key) ack(key);
    loop.runFor(50ms);
    EXPECT_EQ(receiver.outputs(), std::vector<Bytes>{statusQueryOutput});

    receiver.ackDrop(1000);  // the receiver answers no key write by itself
    perform(link.startApply(resetRows));
    ack(resetRows[0].keyIndex);
    size_t stray = 0;
    for (int key = 0; key < 256; ++key) {
        if (key == resetRows[1].keyIndex) continue;
        ack(key);
        ++stray;
        // One at a time: uhid keeps few output reports for its reader and drops what comes beyond.
        ASSERT_TRUE(receiver.waitForOutputs(3 + stray))
            << "no rewrite for an ack of " << key << ": " << receiver.outputs().size() << " outputs";
    }
    loop.runFor(50ms);
    std::vector<Bytes> expected{statusQueryOutput, keyWriteOutput(resetRows[0])};
    expected.insert(expected.end(), 1 + stray, keyWriteOutput(resetRows[1]));
    EXPECT_EQ(receiver.outputs(), expected);
    EXPECT_EQ(link.sequence().row(), 1);
    EXPECT_EQ(*std::max_element(gauge.begin(), gauge.end()), 30);  // each rewrite shows row 1's value again

    // The receiver answers again: the right acknowledgement goes on from row 2, each row once.
    receiver.ackDrop(0);
    ack(resetRows[1].keyIndex);
    ASSERT_TRUE(loop.runUntil([&] { return finished; }, kernelWait));
    loop.runFor(50ms);
    for (size_t r = 2; r < resetRows.size(); ++r) expected.push_back(keyWriteOutput(resetRows[r]));
    EXPECT_EQ(receiver.outputs(), expected);
    EXPECT_TRUE(link.linked());
}

// The receiver goes as it takes the key write of a row: its own thread destroys the device instead
// of answering. The sequence ends with that row, nothing is written after it, the removal is
// reported once, and the receiver plugged in again takes a whole new sequence.
class VanishDuringWrite : public HostileWrites, public ::testing::WithParamInterface<int> {};

TEST_P(VanishDuringWrite, EndsTheSequenceAtThatRowAndAReplugAppliesAgain) {
    const int row = GetParam();  // 1 to 5
    receiver.vanishAtKeyWrite(row);
    perform(link.startApply(resetRows));
    ASSERT_TRUE(loop.runUntil([&] { return receiver.vanished(); }, kernelWait));
    ASSERT_TRUE(waitHeld(false));
    loop.runFor(200ms);  // a late write or a second removal would show here

    std::vector<Bytes> expected{statusQueryOutput};
    for (int r = 0; r < row; ++r) expected.push_back(keyWriteOutput(resetRows[size_t(r)]));
    EXPECT_EQ(receiver.outputs(), expected);
    EXPECT_FALSE(link.sequence().running());
    EXPECT_FALSE(link.linked());
    EXPECT_FALSE(finished);
    EXPECT_EQ(sendResults, std::vector<bool>(size_t(row), true));  // the kernel took each write
    EXPECT_EQ(changes, (std::vector<bool>{true, false}));
    EXPECT_EQ(linesStartingWith("Dev out"), 1);
    EXPECT_FALSE(conn->uSendA4(statusQuery));

    ASSERT_TRUE(receiver.plug()) << receiver.error();
    ASSERT_TRUE(loop.runUntil([&] { return conn->devOn() && link.linked(); }, kernelWait));
    perform(link.startApply(resetRows));
    ASSERT_TRUE(loop.runUntil([&] { return finished; }, kernelWait));
    loop.runFor(50ms);
    expected.push_back(statusQueryOutput);
    for (const KeyWrite& r : resetRows) expected.push_back(keyWriteOutput(r));
    EXPECT_EQ(receiver.outputs(), expected);
    EXPECT_EQ(changes, (std::vector<bool>{true, false, true}));
}

INSTANTIATE_TEST_SUITE_P(Kernel, VanishDuringWrite, ::testing::Range(1, 6),
                         [](const ::testing::TestParamInfo<int>& info) {
                             return "AtRow" + std::to_string(info.param);
                         });

// The device destroyed from another thread while the receiver answers at once, a little later each
// time: whatever the receiver took is the start of the sequence, each frame once and in order, no
// write succeeds after one failed, and the removal is reported once each time.
TEST_F(HostileWrites, ADestroyRacingTheWritesLeavesTheStartOfTheSequenceEachTime) {
    std::vector<Bytes> sequence{statusQueryOutput};
    for (const KeyWrite& r : resetRows) sequence.push_back(keyWriteOutput(r));
    constexpr int attempts = 12;
    int cut = 0;
    for (int attempt = 0; attempt < attempts; ++attempt) {
        SCOPED_TRACE("attempt " + std::to_string(attempt));
        const size_t from = receiver.outputs().size() - 1;  // this plug's status query
        finished = false;
        sendResults.clear();
        perform(link.startApply(resetRows));
        std::thread destroyer([&, attempt] {
            std::this_thread::sleep_for(std::chrono::microseconds(attempt * 400));
            receiver.unplug();
        });
        const bool gone = loop.runUntil([&] { return !conn->devOn(); }, kernelWait);
        destroyer.join();
        ASSERT_TRUE(gone);
        loop.runFor(20ms);

        std::vector<Bytes> outputs = receiver.outputs();
        outputs.erase(outputs.begin(), outputs.begin() + static_cast<long>(from));
        ASSERT_LE(outputs.size(), sequence.size());
        EXPECT_TRUE(std::equal(outputs.begin(), outputs.end(), sequence.begin()));
        EXPECT_TRUE(std::is_sorted(sendResults.begin(), sendResults.end(), std::greater<bool>()))
            << "a write succeeded after one failed";
        EXPECT_FALSE(link.sequence().running());
        EXPECT_EQ(linesStartingWith("Dev out"), attempt + 1);
        cut += !finished;

        ASSERT_TRUE(receiver.plug()) << receiver.error();
        ASSERT_TRUE(loop.runUntil([&] { return conn->devOn() && link.linked(); }, kernelWait));
    }
    EXPECT_EQ(changes.size(), 1u + 2 * attempts);
    std::printf("A destroy racing the writes cut %d of %d sequences short\n", cut, attempts);
}

}  // namespace
}  // namespace orvix::test
