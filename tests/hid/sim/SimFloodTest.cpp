// "flood N": the receiver sends N reports that no collection of it describes, or its own ID with
// the wrong length, to the readers of its configuration collection; what it must answer still
// comes through, and the flood ends with its count, "flood 0", the last reader or the receiver.

#include <map>
#include <set>

#include "tests/hid/sim/SimFixture.h"

namespace orvix::test {
namespace {

class Flood : public SimTest {
protected:
    // The next report read whole (a flood report is at most 64 bytes), or nothing when the read
    // blocks (the handle is then stopped for good).
    static std::optional<Bytes> nextWhole(HidReadHandle& h, std::chrono::milliseconds limit = 2s) {
        PendingRead read(h, 65);
        auto result = read.wait(limit);
        if (!result || result->kind != HidReadResult::Data) return std::nullopt;
        return read.bytes();
    }
    static bool isReceiversOwn(const Bytes& r) {
        return r.size() == 8 && r[0] == 0x04 && (r[1] == 0x80 || r[1] == 0x81 || r[1] == 0x89);
    }
};

TEST_F(Flood, SendsItsCountOfEveryLengthAndNoReportTheReceiverWouldSend) {
    make();
    auto reader = readConfig();
    ASSERT_TRUE(reader);
    const size_t cycle = 6 * 65 - 1;
    sim->command("flood " + std::to_string(cycle));
    std::map<uint8_t, std::set<size_t>> lengths;  // per report ID (0 for the empty report too)
    for (size_t i = 0; i < cycle; ++i) {
        auto r = nextWhole(*reader);
        ASSERT_TRUE(r) << "report " << i;
        EXPECT_FALSE(isReceiversOwn(*r)) << i;
        // Cut to the configuration collection's length, as its reader's buffer cuts it.
        if (r->size() > 8) {
            EXPECT_FALSE(isReceiversOwn(Bytes(r->begin(), r->begin() + 8))) << i;
        }
        lengths[r->empty() ? 0 : (*r)[0]].insert(r->size());
    }
    EXPECT_FALSE(nextWhole(*reader, 50ms)) << "the count is spent";
    for (uint8_t id : {0x02, 0x05, 0x7F, 0xFF}) EXPECT_EQ(lengths[id].size(), 64u) << int(id) << ": lengths 1 to 64";
    EXPECT_EQ(lengths[0x00].size(), 65u) << "lengths 0 to 64";
    EXPECT_EQ(lengths[0x04].size(), 63u) << "1 to 64 but 8";
    EXPECT_FALSE(lengths[0x04].count(8));
    EXPECT_TRUE(sim->record().empty()) << "a flood is not traced";
}

TEST_F(Flood, AnAnswerComesThroughAndFloodZeroEndsIt) {
    make();
    auto reader = readConfig();
    auto writer = openConfig();
    ASSERT_TRUE(reader && writer);
    sim->command("flood 4000000000");
    for (int i = 0; i < 100; ++i) ASSERT_TRUE(nextWhole(*reader));
    ASSERT_TRUE(write(*writer, a4(0x1F)));
    bool answered = false;
    for (int i = 0; i < 200 && !answered; ++i) {
        auto r = nextWhole(*reader);
        ASSERT_TRUE(r);
        answered = *r == linkedReport;
    }
    EXPECT_TRUE(answered) << "the status report within the next reads";
    sim->command("flood 0");
    // At most the reports queued already.
    int left = 0;
    while (nextWhole(*reader, 50ms)) ASSERT_LT(++left, 65);
}

TEST_F(Flood, IsLostWithoutAReaderAndEndsWithTheLastReaderOrTheReceiver) {
    make();
    sim->command("flood 100");
    auto reader = readConfig();
    ASSERT_TRUE(reader);
    EXPECT_FALSE(nextWhole(*reader, 50ms)) << "sent before the reader opened";

    reader = readConfig();
    sim->command("flood 4000000000");
    ASSERT_TRUE(nextWhole(*reader));
    reader.reset();
    reader = readConfig();
    ASSERT_TRUE(reader);
    EXPECT_FALSE(nextWhole(*reader, 50ms)) << "it ended with the last reader";

    reader = readConfig();
    sim->command("flood 4000000000");
    ASSERT_TRUE(nextWhole(*reader));
    sim->command("unplug");
    int left = 0;
    for (;;) {
        auto result = readOnce(*reader);
        ASSERT_TRUE(result);
        if (result->kind == HidReadResult::Gone) break;
        ASSERT_LT(++left, 65) << "only the reports queued before the unplug";
    }
    sim->command("plug");
    reader = readConfig();
    ASSERT_TRUE(reader);
    EXPECT_FALSE(nextWhole(*reader, 50ms)) << "the new receiver does not flood";
}

// A reader that does not read keeps no more than the kernel would, however long the flood.
TEST_F(Flood, ASlowReaderKeepsTheLatestReportsOnly) {
    make();
    auto fast = readConfig();
    auto slow = readConfig();
    ASSERT_TRUE(fast && slow);
    sim->command("flood 1000");
    for (int i = 0; i < 1000; ++i) ASSERT_TRUE(nextWhole(*fast)) << i;
    int queued = 0;
    while (nextWhole(*slow, 50ms)) ++queued;
    EXPECT_EQ(queued, 64);
}

}  // namespace
}  // namespace orvix::test
