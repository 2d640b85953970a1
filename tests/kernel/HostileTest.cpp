// Receivers that misbehave through the kernel: a flood of input reports of every length and of
// report IDs the descriptor does not have, while idle and while an apply sequence runs, a removal
// at every step of the sequence, and hundreds of arrivals and removals. The window's side runs as LinkStatus and the
// apply sequence drive it; the sequence's rules hold and nothing the process holds grows.

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <functional>
#include <ostream>
#include <thread>

#include "tests/kernel/ProcessProbe.h"
#include "tests/kernel/WindowSide.h"
#include "tests/support/ProcessUsage.h"
#include "tests/support/StrayReports.h"

namespace orvix::test {
namespace {

using namespace std::chrono_literals;

const KeyWrites& rows = resetRows;

using WindowSide = KernelWindowSide;

class Hostile : public WindowSide {
protected:
    void SetUp() override {
        ASSERT_TRUE(receiver.ok()) << receiver.error();
        ASSERT_TRUE(receiver.plug()) << receiver.error();
        connectAsTheWindow();
    }
    void TearDown() override {
        stopFlood();
        onEffect = nullptr;  // it holds on to the test's locals
        WindowSide::TearDown();
    }

    // Rounds of strayReports() from a thread of its own until stopped (and at least `minimum`
    // reports). At most 24 full-length reports are in flight: the kernel keeps 64 per reader and
    // drops what comes beyond, acknowledgements included; the reader must keep pace, not the
    // kernel's buffer. Reports shorter than the collection's are zero-padded by some kernels and
    // dropped by others (6.1.0-57), so they are counted apart. The wait is bounded so that a
    // stalled reader ends the flood as a failure, not a hang.
    void startFlood(int minimum) {
        THidDevice* dev = conn->heldDevice();
        THidDataEvent owner = dev->OnData();
        dev->setOnData([this, owner](THidDevice& d, uint8_t id, const uint8_t* data, uint16_t size) {
            ++delivered;
            owner(d, id, data, size);
        });
        flooding = true;
        floodEnded = false;
        flood = std::thread([this, minimum] {
            const std::vector<Bytes> round = strayReports();
            while (flooding || flooded < minimum) {
                for (const Bytes& r : round) {
                    if (!receiver.sendInput(r)) {
                        floodEnded = true;
                        return;
                    }
                    ++flooded;
                    if (r.empty() || r[0] != 0x04) continue;
                    if (r.size() < 8) {
                        ++shortReports;
                        continue;
                    }
                    ++reachingHidraw;
                    auto giveUp = std::chrono::steady_clock::now() + 200ms;
                    while (reachingHidraw - delivered > 24 && std::chrono::steady_clock::now() < giveUp)
                        std::this_thread::sleep_for(100us);
                }
            }
            floodEnded = true;
        });
    }
    // The loop runs while the flood ends: the flood waits for its reports to be read, and they are
    // read on the main thread.
    void stopFlood() {
        flooding = false;
        if (!flood.joinable()) return;
        EXPECT_TRUE(loop.runUntil([&] { return floodEnded.load(); }, std::chrono::seconds(60)));
        flood.join();
    }

    UhidReceiver receiver;  // TearDown ends the connection before the receiver goes
    std::thread flood;
    std::atomic<bool> flooding{false};
    std::atomic<bool> floodEnded{true};
    std::atomic<int> flooded{0};
    std::atomic<int> reachingHidraw{0};
    std::atomic<int> shortReports{0};
    std::atomic<int> delivered{0};
};

TEST_F(Hostile, AFloodWhileAnApplyRunsLeavesEachRowWrittenOnceInOrder) {
    receiver.setAnswerDelay(20ms);  // the flood runs through every wait
    startFlood(3000);
    ASSERT_TRUE(loop.runUntil([&] { return flooded >= 500; }, kernelWait)) << "the flood does not run";
    EXPECT_TRUE(link.linked());

    const int before = flooded;
    perform(link.startApply(rows));
    ASSERT_TRUE(loop.runUntil([&] { return finished; }, kernelWait))
        << "stopped at row " << link.sequence().row() << " after " << received.size() << " reports";
    const int during = flooded - before;
    stopFlood();
    loop.runFor(100ms);  // a late write would show here

    std::vector<Bytes> expected{statusQueryOutput};
    for (const KeyWrite& row : rows) expected.push_back(keyWriteOutput(row));
    EXPECT_EQ(receiver.outputs(), expected);
    EXPECT_EQ(gauge, (std::vector<int>{0, 10, 30, 50, 70, 90}));
    EXPECT_EQ(sendResults, std::vector<bool>(5, true));
    EXPECT_TRUE(link.linked());
    EXPECT_FALSE(link.sequence().running());
    EXPECT_EQ(changes, std::vector<bool>{true});
    EXPECT_GE(flooded, 3000);
    // Each full-length report read once (the five acknowledgements aside), short ones at most once.
    EXPECT_GE(delivered - 5, reachingHidraw) << "reports lost on the way";
    EXPECT_LE(delivered - 5, reachingHidraw + shortReports);
    EXPECT_GE(during, 50) << "the flood hardly overlapped the sequence";
    std::printf(
        "Flood: %d reports (%d full-length and %d short of the collection's ID), %d read, %d while the "
        "sequence ran\n",
        flooded.load(), reachingHidraw.load(), shortReports.load(), delivered.load() - 5, during);
}

TEST_F(Hostile, AFloodWhileIdleIsReadAndWritesNothing) {
    const auto start = std::chrono::steady_clock::now();
    startFlood(6000);
    stopFlood();
    const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
    ASSERT_TRUE(loop.runUntil([&] { return delivered >= reachingHidraw; }, kernelWait))
        << delivered << " of " << reachingHidraw << " full-length reports read";
    loop.runFor(100ms);  // a write the flood caused would show here

    EXPECT_EQ(receiver.outputs(), std::vector<Bytes>{statusQueryOutput});
    EXPECT_TRUE(link.linked());
    EXPECT_TRUE(gauge.empty());
    EXPECT_EQ(changes, std::vector<bool>{true});
    EXPECT_LE(delivered, reachingHidraw + shortReports);
    std::printf("Idle flood: %d reports in %lld ms, %d read\n", flooded.load(), static_cast<long long>(took.count()),
                delivered.load());
}

// Where the receiver goes: after `acked` acknowledgements, either while the next key write waits
// for its answer or as the acknowledgement arrives, before the next write is sent.
struct RemovalCase {
    const char* name;
    int acked;
    bool beforeNextWrite;
};

void PrintTo(const RemovalCase& c, std::ostream* os) { *os << c.name; }

const RemovalCase removalCases[] = {
    {"WaitingForRow1", 0, false},      {"WaitingForRow2", 1, false},      {"WaitingForRow3", 2, false},
    {"WaitingForRow4", 3, false},      {"WaitingForRow5", 4, false},      {"AfterTheLastRow", 5, false},
    {"AsRow1IsAcknowledged", 1, true}, {"AsRow3IsAcknowledged", 3, true}, {"AsRow4IsAcknowledged", 4, true},
};

class Removal : public Hostile, public ::testing::WithParamInterface<RemovalCase> {};

TEST_P(Removal, EndsTheSequenceWritesNothingMoreAndIsReported) {
    const RemovalCase& c = GetParam();
    int acks = 0;
    size_t outputsAtRemoval = 0;
    bool removed = false;
    auto remove = [&] {
        outputsAtRemoval = receiver.outputs().size();
        receiver.unplug();
        removed = true;
    };
    onEffect = [&] {
        if (received.back()[0] != 0x89) return;
        ++acks;
        if (c.beforeNextWrite && acks == c.acked) remove();
        // The receiver answers no more key writes once the step is reached: the write it takes
        // next stays unanswered until the removal.
        if (!c.beforeNextWrite && acks == c.acked) receiver.ackDrop(1);
    };
    if (c.acked == 0) receiver.ackDrop(1);
    perform(link.startApply(rows));
    if (!c.beforeNextWrite) {
        const size_t writes = 1 + std::min(c.acked + 1, 5);  // the status query, the rows sent
        ASSERT_TRUE(loop.runUntil([&] { return receiver.outputs().size() >= writes; }, kernelWait));
        ASSERT_TRUE(loop.runUntil([&] { return acks == c.acked; }, kernelWait));
        loop.runFor(50ms);  // an answer that should not come would show here
        ASSERT_EQ(acks, c.acked);
        remove();
    }
    ASSERT_TRUE(loop.runUntil([&] { return removed; }, kernelWait));
    ASSERT_TRUE(waitHeld(false));
    loop.runFor(200ms);

    EXPECT_FALSE(link.sequence().running());
    EXPECT_FALSE(link.linked());
    EXPECT_EQ(finished, c.acked == 5);
    EXPECT_EQ(changes, (std::vector<bool>{true, false}));
    EXPECT_EQ(linesStartingWith("Dev out"), 1);
    EXPECT_EQ(receiver.outputs().size(), outputsAtRemoval);
    // The write that met the removal failed, and said so; none came after it.
    if (c.beforeNextWrite) {
        EXPECT_EQ(sendResults.back(), false);
    }
    EXPECT_FALSE(conn->uSendA4(statusQuery));

    // Plugged in again: only the status query goes out, and the old sequence does not go on.
    ASSERT_TRUE(receiver.plug()) << receiver.error();
    ASSERT_TRUE(waitHeld(true));
    ASSERT_TRUE(loop.runUntil([&] { return link.linked(); }, kernelWait));
    loop.runFor(100ms);
    std::vector<Bytes> outputs = receiver.outputs();
    ASSERT_EQ(outputs.size(), outputsAtRemoval + 1);
    EXPECT_EQ(outputs.back(), statusQueryOutput);
    EXPECT_EQ(changes, (std::vector<bool>{true, false, true}));
}

INSTANTIATE_TEST_SUITE_P(Kernel, Removal, ::testing::ValuesIn(removalCases),
                         [](const ::testing::TestParamInfo<RemovalCase>& info) { return info.param.name; });

// Arrivals and removals of a receiver with the configuration interface alone, each linked again by
// its status query, as the window does it.
class Cycles : public WindowSide {
protected:
    void SetUp() override { ASSERT_TRUE(receiver.ok()) << receiver.error(); }
    UhidReceiver receiver{UhidReceiver::Options{UhidReceiver::Layout::Default, false}};
};

TEST_F(Cycles, HundredsOfArrivalsAndRemovalsKeepDescriptorsThreadsAndMemoryFlat) {
    ASSERT_TRUE(receiver.plug()) << receiver.error();
    console.shown = false;  // a hidden console keeps no lines: nothing should grow with the cycles
    connectAsTheWindow();
    auto cycle = [&] {
        receiver.unplug();
        ASSERT_TRUE(waitHeld(false));
        ASSERT_FALSE(link.linked());
        ASSERT_TRUE(receiver.plug()) << receiver.error();
        ASSERT_TRUE(loop.runUntil([&] { return conn->devOn() && link.linked(); }, kernelWait));
        // The test's own records of the status queries and answers would grow with the cycles.
        received.clear();
        receiver.clearOutputs();
    };
    // The first cycles settle what is made once (the allocator's arenas, the kernel's numbering).
    for (int i = 0; i < 20; ++i) cycle();
    const int descriptors = openDescriptors();
    const size_t threads = taskIds().size();
    const size_t heap = heapInUse();
    const auto start = std::chrono::steady_clock::now();
    constexpr int cycles = 500;
    for (int i = 0; i < cycles; ++i) {
        cycle();
        if (HasFatalFailure()) return;
    }
    const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
    loop.runFor(200ms);

    EXPECT_EQ(openDescriptors(), descriptors);
    EXPECT_EQ(taskIds().size(), threads);
    // Flat: a bound that does not grow with the cycles (500 cycles measured +15 KB, most of it in
    // the first hundred, as the allocator settles).
    EXPECT_LT(heapInUse(), heap + (48 << 10));
    EXPECT_EQ(changes.size(), 1 + 2 * (20 + cycles));
    std::printf("%d arrivals and removals in %lld ms; heap %zu -> %zu bytes\n", cycles,
                static_cast<long long>(took.count()), heap, heapInUse());
}

}  // namespace
}  // namespace orvix::test
