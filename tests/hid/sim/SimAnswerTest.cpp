// What the receiver answers, and how the control commands change its answers.

#include "tests/hid/sim/SimFixture.h"

namespace orvix::test {
namespace {

struct AnswerCase {
    const char* name;
    bool linked;
    Bytes written;
    std::optional<Bytes> answer;
};

const AnswerCase answerCases[] = {
    {"StatusQueryLinked", true, a4(0x1F), linkedReport},
    {"StatusQueryUnlinked", false, a4(0x1F), unlinkedReport},
    {"KeyWriteLinked", true, a4(0x02, 0x40, 0x00), ack(0x02)},
    {"KeyWriteUnlinked", false, a4(0x02, 0x40, 0x00), std::nullopt},
    {"StatusArgumentWithMoreBytesIsAKeyWrite", true, a4(0x1F, 0x01), ack(0x1F)},
    {"BadChecksum", true, {0x04, 0x02, 0x01, 0xA4, 0x1F, 0x00, 0x00, 0x3E}, std::nullopt},
    {"OtherReportId", true, {0x05, 0x02, 0x01, 0xA4, 0x1F, 0x00, 0x00, 0x3D}, std::nullopt},
    {"NotAnA4Frame", true, {0x04, 0x02, 0x01, 0xA5, 0x1F, 0x00, 0x00, 0x3D}, std::nullopt},
};

void PrintTo(const AnswerCase& c, std::ostream* os) { *os << c.name; }

class Answers : public SimTest, public ::testing::WithParamInterface<AnswerCase> {};

// The answer is the first report after the write; a status query written next marks "nothing".
TEST_P(Answers, OneReportOrNothing) {
    const AnswerCase& c = GetParam();
    make();
    if (!c.linked) sim->command("unlink");
    auto reader = readConfig();
    auto writer = openConfig();
    ASSERT_TRUE(reader && writer);
    size_t before = sim->record().size();

    ASSERT_TRUE(write(*writer, c.written)) << "the receiver takes every 8-byte report";
    ASSERT_TRUE(write(*writer, a4(0x1F)));
    Bytes marker = c.linked ? linkedReport : unlinkedReport;
    if (c.answer) {
        EXPECT_EQ(next(*reader), c.answer);
    }
    EXPECT_EQ(next(*reader), marker);

    Strings record = sim->record();
    ASSERT_GE(record.size(), before + 1);
    EXPECT_EQ(record[before].substr(0, 4), "OUT ");
    EXPECT_EQ(record.size() - before, c.answer ? 4u : 3u) << "OUT, [IN,] OUT, IN";
}

INSTANTIATE_TEST_SUITE_P(Table, Answers, ::testing::ValuesIn(answerCases),
                         [](const auto& info) { return std::string(info.param.name); });

// ack-wrong and ack-drop over a run of steps: a command, or a write and its answer (or nothing).
struct Step {
    std::string command;  // empty: a write
    Bytes written;
    std::optional<Bytes> answer;  // for a command: the report it makes the receiver send
};
Step cmd(std::string c, std::optional<Bytes> sent = std::nullopt) { return {std::move(c), {}, std::move(sent)}; }
Step put(Bytes w, std::optional<Bytes> answer) { return {"", std::move(w), std::move(answer)}; }

struct SequenceCase {
    const char* name;
    std::vector<Step> steps;
};

const SequenceCase sequenceCases[] = {
    {"AckWrongNamesTheNextKeyForNWrites",
     {cmd("ack-wrong 2"), put(a4(0x04, 0x00, 0x08), ack(0x00)), put(a4(0x00), ack(0x01)),
      put(a4(0x03, 0x10, 0x4B), ack(0x03))}},
    {"AckWrongWrapsIndicesAboveTheKeys", {cmd("ack-wrong 1"), put(a4(0x07), ack(0x03))}},
    {"AckWrongLeavesTheStatusQueryAlone",
     {cmd("ack-wrong 1"), put(a4(0x1F), linkedReport), put(a4(0x02, 0x40), ack(0x03))}},
    {"AckDropSilencesNKeyWrites",
     {cmd("ack-drop 2"), put(a4(0x01, 0x00, 0x01), std::nullopt), put(a4(0x01, 0x00, 0x01), std::nullopt),
      put(a4(0x01, 0x00, 0x01), ack(0x01))}},
    {"AckDropStillAnswersTheStatusQuery",
     {cmd("ack-drop 1"), put(a4(0x1F), linkedReport), put(a4(0x00), std::nullopt)}},
    {"WritesUnansweredWhileUnlinkedDoNotUseUpAckDrop",
     {cmd("ack-drop 1"), cmd("unlink", unlinkedReport), put(a4(0x00), std::nullopt), cmd("link", linkedReport),
      put(a4(0x00), std::nullopt), put(a4(0x00), ack(0x00))}},
    {"DroppedWritesDoNotUseUpAckWrong",
     {cmd("ack-drop 1"), cmd("ack-wrong 1"), put(a4(0x02), std::nullopt), put(a4(0x02), ack(0x03)),
      put(a4(0x02), ack(0x02))}},
    {"ANewCountReplacesTheOld", {cmd("ack-wrong 5"), cmd("ack-wrong 0"), put(a4(0x02), ack(0x02))}},
    {"MalformedCountsAreIgnored",
     {cmd("ack-drop"), cmd("ack-drop -1"), cmd("ack-drop x"), cmd("ack-drop 1 2"), put(a4(0x02), ack(0x02))}},
};

void PrintTo(const SequenceCase& c, std::ostream* os) { *os << c.name; }

class Sequences : public SimTest, public ::testing::WithParamInterface<SequenceCase> {};

TEST_P(Sequences, AnswerEachWriteInTurn) {
    make();
    auto reader = readConfig();
    auto writer = openConfig();
    ASSERT_TRUE(reader && writer);
    bool linked = true;
    int index = 0;
    for (const Step& step : GetParam().steps) {
        SCOPED_TRACE("step " + std::to_string(index++));
        if (!step.command.empty()) {
            sim->command(step.command);
            if (step.command == "link" || step.command == "unlink") linked = step.command == "link";
            if (step.answer) {
                EXPECT_EQ(next(*reader), step.answer);
            }
            continue;
        }
        ASSERT_TRUE(write(*writer, step.written));
        if (step.answer) {
            EXPECT_EQ(next(*reader), step.answer);
        } else {
            ASSERT_TRUE(write(*writer, a4(0x1F)));
            EXPECT_EQ(next(*reader), linked ? linkedReport : unlinkedReport) << "no answer before the status";
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Table, Sequences, ::testing::ValuesIn(sequenceCases),
                         [](const auto& info) { return std::string(info.param.name); });

class Link : public SimTest {};

TEST_F(Link, UnlinkAndLinkSendTheStatusByThemselvesAndChangeTheAnswers) {
    make();
    auto reader = readConfig();
    auto writer = openConfig();
    ASSERT_TRUE(reader && writer);
    sim->command("unlink");
    EXPECT_EQ(next(*reader), unlinkedReport);
    ASSERT_TRUE(write(*writer, a4(0x1F)));
    EXPECT_EQ(next(*reader), unlinkedReport);
    sim->command("link");
    EXPECT_EQ(next(*reader), linkedReport);
    ASSERT_TRUE(write(*writer, a4(0x02)));
    EXPECT_EQ(next(*reader), ack(0x02));
    EXPECT_EQ(sim->record(),
              (Strings{"IN 04 81 00 00 00 00 00 00", "OUT 04 02 01 A4 1F 00 00 3D", "IN 04 81 00 00 00 00 00 00",
                       "IN 04 80 00 00 00 00 00 00", "OUT 04 02 01 A4 02 00 00 5A", "IN 04 89 00 02 00 00 00 00"}));
}

TEST_F(Link, AReplugFindsTheMouseLinkedAgain) {
    make();
    sim->command("unlink");
    sim->command("unplug");
    sim->command("link");  // nothing to send it from: no report
    sim->command("unlink");
    sim->command("plug");
    auto reader = readConfig();
    auto writer = openConfig();
    ASSERT_TRUE(reader && writer);
    ASSERT_TRUE(write(*writer, a4(0x1F)));
    EXPECT_EQ(next(*reader), linkedReport);
    EXPECT_EQ(sim->record(),
              (Strings{"IN 04 81 00 00 00 00 00 00", "OUT 04 02 01 A4 1F 00 00 3D", "IN 04 80 00 00 00 00 00 00"}));
}

class Delay : public SimTest {};

TEST_F(Delay, TheAnswerComesNoEarlierThanTheDelayAndIsTracedWhenSent) {
    make();
    auto reader = readConfig();
    auto writer = openConfig();
    ASSERT_TRUE(reader && writer);
    sim->command("delay 300");
    PendingRead read(*reader);
    auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(write(*writer, a4(0x1F)));
    auto result = read.wait(5s);
    auto elapsed = std::chrono::steady_clock::now() - start;
    ASSERT_TRUE(result && result->kind == HidReadResult::Data);
    EXPECT_EQ(read.bytes(), linkedReport);
    EXPECT_GE(elapsed, 300ms);
    EXPECT_EQ(sim->record(), (Strings{"OUT 04 02 01 A4 1F 00 00 3D", "IN 04 80 00 00 00 00 00 00"}));
}

TEST_F(Delay, AnswersKeepTheirOrderAndDelayZeroAnswersAtOnce) {
    make();
    auto reader = readConfig();
    auto writer = openConfig();
    ASSERT_TRUE(reader && writer);
    sim->command("delay 200");
    ASSERT_TRUE(write(*writer, a4(0x01)));
    sim->command("delay 0");
    ASSERT_TRUE(write(*writer, a4(0x02)));
    EXPECT_EQ(next(*reader), ack(0x01));
    EXPECT_EQ(next(*reader), ack(0x02));
    ASSERT_TRUE(write(*writer, a4(0x03)));
    EXPECT_EQ(sim->record().back(), "IN 04 89 00 03 00 00 00 00") << "traced before write() returned";
}

TEST_F(Delay, AnswersNotSentYetGoWithTheUnplug) {
    make();
    auto writer = openConfig();
    ASSERT_TRUE(writer);
    sim->command("delay 60000");
    ASSERT_TRUE(write(*writer, a4(0x1F)));
    sim->command("unplug");
    sim->command("delay 0");
    sim->command("plug");
    auto reader = readConfig();
    auto again = openConfig();
    ASSERT_TRUE(reader && again);
    ASSERT_TRUE(write(*again, a4(0x02)));
    EXPECT_EQ(next(*reader), ack(0x02));
    EXPECT_EQ(sim->record(),
              (Strings{"OUT 04 02 01 A4 1F 00 00 3D", "OUT 04 02 01 A4 02 00 00 5A", "IN 04 89 00 02 00 00 00 00"}));
}

}  // namespace
}  // namespace orvix::test
