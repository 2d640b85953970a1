// Receivers that send what no receiver should: floods of reports of every length and of report
// IDs that belong to no collection, acknowledgements for keys never written, and removals at every
// step of an apply sequence; and a thousand arrivals and removals of the simulated receiver. The
// sequence's rules hold throughout, and nothing is kept or left open that grows with them.
#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>

#include "hid/sim/SimHidPlatform.h"
#include "hidMain/HexText.h"
#include "keys/FunctionCatalogue.h"
#include "keys/LinkStatus.h"
#include "tests/hidMain/ConnectionFixture.h"
#include "tests/support/ProcessUsage.h"
#include "tests/support/StrayReports.h"
#include "tests/support/WindowSide.h"

namespace orvix::test {
namespace {

using Bytes = std::vector<uint8_t>;

// The five rows after RESET, and their device key indices in sequence order.
const KeyWrites rows{{{2, wireOrder(0x4000)},
                      {4, wireOrder(0x0008)},
                      {1, wireOrder(0x0001)},
                      {0, wireOrder(0x0000)},
                      {3, wireOrder(0x104B)}}};

Bytes report(uint8_t kind, uint8_t keyIndex = 0) { return {0x04, kind, 0x00, keyIndex, 0, 0, 0, 0}; }

// The window's side of the conversation, with the frames it sends counted.
class HostileReceiver : public WindowSide<ConnectionFixture> {
protected:
    void SetUp() override {
        create({receiver("rx")});
        actAsTheWindow();
        settle();
        ASSERT_TRUE(loop.runUntil([&] { return conn->devOn(); }));
        linkUp();
    }

    // Pushes reports and waits until the main thread has handled every one.
    void push(const std::vector<Bytes>& reports) {
        size_t before = received.size();
        size_t expected = before;
        for (const Bytes& r : reports) {
            fake->pushReport("rx", r);
            if (!r.empty()) ++expected;  // an empty read delivers nothing
        }
        ASSERT_TRUE(loop.runUntil([&] { return received.size() == expected; }, std::chrono::seconds(60)))
            << received.size() - before << " of " << expected - before << " handled";
        EXPECT_EQ(fake->queued("rx"), 0u);
    }

    void linkUp() {
        push({report(0x80)});
        ASSERT_TRUE(link.linked());
    }

    // Key writes sent since the status query, as hex.
    std::vector<std::string> keyWrites() const {
        std::vector<std::string> frames;
        for (const auto& w : fake->writes("rx"))
            if (w.size() == 8 && w[4] != statusQuery) frames.push_back(bytesToHex(w));
        return frames;
    }
    static std::string writeOf(int row) {
        Bytes frame{0x04};
        TByteDynArray a4 = a4Frame(keyWriteArgument(rows[size_t(row)]));
        frame.insert(frame.end(), a4.begin(), a4.end());
        return bytesToHex(frame);
    }
};

TEST_F(HostileReceiver, AFloodWhileIdleChangesNothingAndSendsNothing) {
    for (int round = 0; round < 20; ++round) push(strayReports());
    EXPECT_TRUE(link.linked());
    EXPECT_TRUE(keyWrites().empty());
    EXPECT_TRUE(gauge.empty());
}

TEST_F(HostileReceiver, AFloodDuringAnApplyLeavesEachRowWrittenOnceInOrder) {
    perform(link.startApply(rows));
    for (int r = 0; r < 5; ++r) {
        push(strayReports());
        push({report(0x89, static_cast<uint8_t>(rows[size_t(r)].keyIndex))});
    }
    std::vector<std::string> expected;
    for (int r = 0; r < 5; ++r) expected.push_back(writeOf(r));
    EXPECT_EQ(keyWrites(), expected);
    EXPECT_EQ(gauge, (std::vector<int>{0, 10, 30, 50, 70, 90}));
    EXPECT_TRUE(finished);
    EXPECT_FALSE(link.sequence().running());
}

TEST_F(HostileReceiver, AcknowledgementsForKeysNeverWrittenRewriteTheRowOrDoNothing) {
    // No sequence runs: an acknowledgement of any key writes nothing.
    std::vector<Bytes> acks;
    for (int key = 0; key < 256; ++key) acks.push_back(report(0x89, static_cast<uint8_t>(key)));
    push(acks);
    EXPECT_TRUE(keyWrites().empty());

    // While row 1 is written, every other index writes row 1 again, and the sequence stays there.
    perform(link.startApply(rows));
    push({report(0x89, static_cast<uint8_t>(rows[0].keyIndex))});
    size_t stray = 0;
    for (int key = 0; key < 256; ++key)
        if (key != rows[1].keyIndex) push({report(0x89, static_cast<uint8_t>(key))}), ++stray;
    std::vector<std::string> writes = keyWrites();
    ASSERT_EQ(writes.size(), 2 + stray);
    for (size_t i = 1; i < writes.size(); ++i) EXPECT_EQ(writes[i], writeOf(1)) << i;
    EXPECT_EQ(link.sequence().row(), 1);
}

TEST_F(HostileReceiver, AnUnplugAtEveryStepEndsTheSequenceAndNothingIsSentAfterIt) {
    for (int acked = 0; acked <= 5; ++acked) {
        SCOPED_TRACE("unplugged after " + std::to_string(acked) + " acknowledgements");
        perform(link.startApply(rows));
        for (int r = 0; r < acked; ++r) push({report(0x89, static_cast<uint8_t>(rows[size_t(r)].keyIndex))});
        size_t sent = keyWrites().size();
        fake->unplug("rx");
        fake->postChange();
        ASSERT_TRUE(loop.runUntil([&] { return !conn->devOn(); }));
        EXPECT_FALSE(link.sequence().running());
        EXPECT_FALSE(link.linked());
        EXPECT_EQ(fake->openReadHandles(), 0);
        EXPECT_EQ(keyWrites().size(), sent);

        // Back again: only the status query goes out, and late acknowledgements write nothing.
        fake->plug(receiver("rx"));
        fake->postChange();
        ASSERT_TRUE(loop.runUntil([&] { return conn->devOn(); }));
        linkUp();
        sent = keyWrites().size();
        push({report(0x89, static_cast<uint8_t>(rows[0].keyIndex)), report(0x89, 0)});
        EXPECT_EQ(keyWrites().size(), sent);
    }
}

// The receiver goes while a key write is being written: within the write call, which then fails
// (as where the system refuses a write to a device that left) or has taken the frame first (as
// where the system queues it). The sequence ends on that row, nothing more is written, the removal
// is reported once and nothing stays open; plugged in again, a whole sequence goes out.
struct VanishCase {
    const char* name;
    int row;  // 1 to 5: the row whose key write meets the removal
    bool taken;
};

void PrintTo(const VanishCase& c, std::ostream* os) { *os << c.name; }

const VanishCase vanishCases[] = {
    {"Row1WriteFails", 1, false}, {"Row2WriteFails", 2, false}, {"Row3WriteFails", 3, false},
    {"Row4WriteFails", 4, false}, {"Row5WriteFails", 5, false}, {"Row1WriteTaken", 1, true},
    {"Row3WriteTaken", 3, true},  {"Row5WriteTaken", 5, true},
};

class VanishDuringWrite : public HostileReceiver, public ::testing::WithParamInterface<VanishCase> {};

TEST_P(VanishDuringWrite, EndsTheSequenceWritesNothingMoreAndAReplugAppliesAgain) {
    const VanishCase& c = GetParam();
    fake->vanishAtWrite("rx", c.row, c.taken);  // the status query is written already
    perform(link.startApply(rows));
    for (int r = 0; r + 1 < c.row; ++r) push({report(0x89, static_cast<uint8_t>(rows[size_t(r)].keyIndex))});
    ASSERT_TRUE(loop.runUntil([&] { return !conn->devOn(); }));
    loop.runFor(std::chrono::milliseconds(50));  // a late write or a second removal would show here

    std::vector<std::string> expected;
    for (int r = 0; r < c.row - (c.taken ? 0 : 1); ++r) expected.push_back(writeOf(r));
    EXPECT_EQ(keyWrites(), expected);
    EXPECT_FALSE(link.sequence().running());
    EXPECT_FALSE(link.linked());
    EXPECT_FALSE(finished);
    EXPECT_EQ(changes, (std::vector<bool>{true, false}));
    EXPECT_EQ(std::count(console.lines.begin(), console.lines.end(), "Dev out"), 1);
    EXPECT_EQ(fake->openReadHandles(), 0);
    EXPECT_EQ(fake->openSyncHandles(), 0);
    EXPECT_FALSE(conn->uSendA4(statusQuery));
    EXPECT_EQ(keyWrites(), expected);

    fake->plug(receiver("rx"));
    fake->postChange();
    ASSERT_TRUE(loop.runUntil([&] { return conn->devOn(); }));
    linkUp();
    perform(link.startApply(rows));
    for (int r = 0; r < 5; ++r) push({report(0x89, static_cast<uint8_t>(rows[size_t(r)].keyIndex))});
    expected.clear();
    for (int r = 0; r < 5; ++r) expected.push_back(writeOf(r));
    EXPECT_EQ(keyWrites(), expected);
    EXPECT_TRUE(finished);
    EXPECT_EQ(changes, (std::vector<bool>{true, false, true}));
}

INSTANTIATE_TEST_SUITE_P(Fake, VanishDuringWrite, ::testing::ValuesIn(vanishCases),
                         [](const ::testing::TestParamInfo<VanishCase>& info) { return info.param.name; });

// The simulated receiver itself, through the receiver connection, as the program runs it.
TEST(SimulatedReceiver, AThousandArrivalsAndRemovalsKeepDescriptorsAndMemoryFlat) {
    TestLoop loop;
    RecordingConsole console;
    console.shown = false;
    auto platform = std::make_unique<SimHidPlatform>(loop, SimOptions{});
    SimHidPlatform& sim = *platform;
    ReceiverConnection conn(std::move(platform), loop, console);
    LinkStatus link;
    int arrivals = 0;
    conn.setOnDevChange([&](bool on) {
        if (on)
            ++arrivals, conn.uSendA4(statusQuery);
        else
            link.removed();
    });
    conn.setOnDevDataIn([&](const TByteDynArray& d) { link.onReport(d); });
    loop.processPending();
    ASSERT_TRUE(loop.runUntil([&] { return conn.devOn() && link.linked(); }));

    auto cycle = [&] {
        sim.command("unplug");
        ASSERT_TRUE(loop.runUntil([&] { return !conn.devOn(); }));
        sim.command("plug");
        ASSERT_TRUE(loop.runUntil([&] { return conn.devOn() && link.linked(); }));
    };
    // The first cycles settle what is made once (the allocator's arenas, the trace of reports).
    for (int i = 0; i < 20; ++i) cycle();
    size_t descriptors = openHandles();
    size_t heap = heapInUse();
    for (int i = 0; i < 1000; ++i) {
        cycle();
        if (HasFatalFailure()) return;
    }
    EXPECT_EQ(arrivals, 1 + 20 + 1000);
    EXPECT_EQ(openHandles(), descriptors);
    // The simulated receiver records every report it takes and sends (its trace): two a cycle.
    EXPECT_LT(heapInUse(), heap + 1000 * 2 * 256 + (256 << 10));
}

}  // namespace
}  // namespace orvix::test
