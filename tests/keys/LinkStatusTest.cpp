#include <gtest/gtest.h>

#include <ostream>

#include "hidMain/HexText.h"
#include "hidMain/ReceiverConnection.h"
#include "keys/FunctionCatalogue.h"
#include "keys/LinkStatus.h"

namespace orvix {
namespace {

using Lines = std::vector<std::string>;

// A row's pair as the row gives it: its device key index and its code, bytes exchanged.
KeyWrite row(int keyIndex, int32_t code) { return {keyIndex, wireOrder(code)}; }

// The five rows after RESET: row 0 (fixed) to row 4.
const KeyWrites defaults{row(2, 0x4000), row(4, 0x0008), row(1, 0x0001), row(0, 0x0000), row(3, 0x104B)};

// The frames the defaults write, and the acknowledgements that name their rows.
const char* const write0 = "send 02 01 A4 02 40 00 1A";
const char* const write1 = "send 02 01 A4 04 00 08 50";
const char* const write2 = "send 02 01 A4 01 00 01 5A";
const char* const write3 = "send 02 01 A4 00 00 00 5C";
const char* const write4 = "send 02 01 A4 03 10 4B FE";
const char* const ack0 = "89 00 02 00 00 00 00";
const char* const ack1 = "89 00 04 00 00 00 00";
const char* const ack2 = "89 00 01 00 00 00 00";
const char* const ack3 = "89 00 00 00 00 00 00";
const char* const ack4 = "89 00 03 00 00 00 00";

// Drives the link status with events and writes down what the front end is told to do: the frame
// to send ("send ..."), the gauge's values ("gauge N"), the gauge going ("done"), and link changes.
class Transcript {
public:
    explicit Transcript(KeyWrites rows) : rows_(rows) {}

    // "apply", "removed", or a report's data bytes in hex.
    void event(const std::string& e) {
        if (e == "apply") {
            step(link_.startApply(rows_));
        } else if (e == "removed") {
            link_.removed();
        } else if (auto effect = link_.onReport(hexToBytes(e))) {
            if (effect->linkChanged) lines_.push_back(effect->linked ? "link on" : "link off");
            step(effect->step);
        }
    }
    const Lines& lines() const { return lines_; }
    const LinkStatus& link() const { return link_; }

private:
    void step(const ApplyStep& s) {
        for (int value : s.progress) lines_.push_back("gauge " + std::to_string(value));
        if (s.send) {
            std::string frame = bytesToHex(a4Frame(*s.send));
            lines_.push_back("send " + frame.substr(0, frame.size() - 1));
        }
        if (s.finished) lines_.push_back("done");
    }

    KeyWrites rows_;
    LinkStatus link_;
    Lines lines_;
};

struct Case {
    const char* name;
    KeyWrites rows;
    Lines events;
    Lines expected;
    bool runningAfter;
};

void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

class LinkAndApply : public ::testing::TestWithParam<Case> {};

TEST_P(LinkAndApply, TellsTheFrontEndWhatToSendAndShow) {
    const Case& c = GetParam();
    Transcript t(c.rows);
    for (const std::string& e : c.events) t.event(e);
    EXPECT_EQ(t.lines(), c.expected);
    EXPECT_EQ(t.link().sequence().running(), c.runningAfter);
}

KeyWrites without(std::initializer_list<int> rows) {
    KeyWrites w = defaults;
    for (int r : rows) w[static_cast<size_t>(r)].code = -1;
    return w;
}

INSTANTIATE_TEST_SUITE_P(
    Keys, LinkAndApply,
    ::testing::Values(Case{"DefaultsWriteFiveFramesEachAfterTheAcknowledgementBefore",
                           defaults,
                           {"80 00 00 00 00 00 00", "apply", ack0, ack1, ack2, ack3, ack4},
                           {"link on", "gauge 0", "gauge 10", write0, "gauge 30", write1, "gauge 50", write2,
                            "gauge 70", write3, "gauge 90", write4, "done"},
                           false},
                      Case{"AWrongAcknowledgementWritesTheSameRowAgainEachTime",
                           defaults,
                           {"apply", ack1, ack1, ack4, ack0},
                           {"gauge 0", "gauge 10", write0, "link on", "gauge 10", write0, "gauge 10", write0,
                            "gauge 10", write0, "gauge 30", write1},
                           true},
                      Case{"RowsWithoutACodeArePassedOverShowingTheirValue",
                           without({1, 2}),
                           {"apply", ack0, ack3},
                           {"gauge 0", "gauge 10", write0, "link on", "gauge 30", "gauge 50", "gauge 70", write3,
                            "gauge 90", write4},
                           true},
                      Case{"ALastRowWithoutACodeEndsAtTheAcknowledgementBefore",
                           without({4}),
                           {"apply", ack0, ack1, ack2, ack3},
                           {"gauge 0", "gauge 10", write0, "link on", "gauge 30", write1, "gauge 50", write2,
                            "gauge 70", write3, "gauge 90", "done"},
                           false},
                      Case{"NoRowWithACodeShowsEveryValueAndEndsAtOnce",
                           without({0, 1, 2, 3, 4}),
                           {"apply", ack0},
                           {"gauge 0", "gauge 10", "gauge 30", "gauge 50", "gauge 70", "gauge 90", "done", "link on"},
                           false},
                      Case{"ApplyWhileRunningStartsOverAtRowZero",
                           defaults,
                           {"apply", ack0, "apply", ack0},
                           {"gauge 0", "gauge 10", write0, "link on", "gauge 30", write1, "gauge 0", "gauge 10", write0,
                            "gauge 30", write1},
                           true},
                      Case{"LinkLossLeavesTheSequenceWaitingAndALaterAcknowledgementGoesOn",
                           defaults,
                           {"80 00 00 00 00 00 00", "apply", "81 00 00 00 00 00 00", "80 00 00 00 00 00 00", ack0},
                           {"link on", "gauge 0", "gauge 10", write0, "link off", "link on", "gauge 30", write1},
                           true},
                      Case{"RemovalEndsTheSequenceAndTheLinkWithoutANotice",
                           defaults,
                           {"80 00 00 00 00 00 00", "apply", "removed", ack0},
                           {"link on", "gauge 0", "gauge 10", write0, "link on"},
                           false},
                      Case{"AnAcknowledgementWhileIdleOnlyLinks", defaults, {ack4, ack4}, {"link on"}, false},
                      Case{"RepeatedReportsOfOneStateChangeNothingMore",
                           defaults,
                           {"80 00 00 00 00 00 00", "8A 00 00 00 00 00 00", "80 11 22 33 44 55 66",
                            "81 00 00 00 00 00 00", "81 00 00 00 00 00 00", "8A FF FF FF FF FF FF"},
                           {"link on", "link off", "link on"},
                           false},
                      Case{"ReportsOfOtherLengthsOrKindsAreIgnored",
                           defaults,
                           {"apply", "80 00 00 00 00 00 00 00", "80 00 00 00 00 00", "", "82 00 00 00 00 00 00",
                            "88 00 02 00 00 00 00", "89 00 02 00 00 00", "89 00 02 00 00 00 00 00"},
                           {"gauge 0", "gauge 10", write0},
                           true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(LinkStatus, ThePairsAreTakenAtTheStart) {
    KeyWrites rows = defaults;
    LinkStatus link;
    link.startApply(rows);
    rows[1] = row(0, 0x20E2);  // a pick while row 0 waits
    ApplyStep next = link.onReport(hexToBytes(ack0))->step;
    ASSERT_TRUE(next.send.has_value());
    EXPECT_EQ(*next.send, keyWriteArgument(defaults[1]));
    EXPECT_EQ(link.sequence().row(), 1);
}

struct StatusCase {
    const char* bytes;
    std::optional<StatusKind> kind;
    int keyIndex;
};

void PrintTo(const StatusCase& c, std::ostream* os) { *os << '"' << c.bytes << '"'; }

class StatusReports : public ::testing::TestWithParam<StatusCase> {};

TEST_P(StatusReports, OnlySevenBytesOfTheFourKindsAreRead) {
    std::optional<StatusReport> report = readStatusReport(hexToBytes(GetParam().bytes));
    ASSERT_EQ(report.has_value(), GetParam().kind.has_value());
    if (!report) return;
    EXPECT_EQ(report->kind, *GetParam().kind);
    EXPECT_EQ(report->linked(), report->kind != StatusKind::NotLinked);
    if (report->kind == StatusKind::Acknowledged) {
        EXPECT_EQ(report->keyIndex, GetParam().keyIndex);
    }
}

INSTANTIATE_TEST_SUITE_P(Keys, StatusReports,
                         ::testing::Values(StatusCase{"80 00 00 00 00 00 00", StatusKind::Linked, 0},
                                           StatusCase{"8A 00 00 00 00 00 00", StatusKind::Linked, 0},
                                           StatusCase{"81 00 00 00 00 00 00", StatusKind::NotLinked, 0},
                                           StatusCase{"89 00 03 00 00 00 00", StatusKind::Acknowledged, 3},
                                           StatusCase{"89 07 FF 07 07 07 07", StatusKind::Acknowledged, 255},
                                           StatusCase{"82 00 00 00 00 00 00", std::nullopt, 0},
                                           StatusCase{"00 00 00 00 00 00 00", std::nullopt, 0},
                                           StatusCase{"80 00 00 00 00 00", std::nullopt, 0},
                                           StatusCase{"80 00 00 00 00 00 00 00", std::nullopt, 0},
                                           StatusCase{"", std::nullopt, 0}));

TEST(LinkStatus, KeyWriteArgumentsCarryTheIndexThenTheCodesHighAndLowByte) {
    EXPECT_EQ(keyWriteArgument(row(3, 0x104B)), 0x4B1003u);
    EXPECT_EQ(a4Frame(keyWriteArgument(row(3, 0x104B))), (TByteDynArray{0x02, 0x01, 0xA4, 0x03, 0x10, 0x4B, 0xFE}));
    EXPECT_EQ(a4Frame(statusQuery), (TByteDynArray{0x02, 0x01, 0xA4, 0x1F, 0x00, 0x00, 0x3D}));
}

}  // namespace
}  // namespace orvix
