// Control lines: which ones are commands, and how a byte stream is cut into lines.

#include <gtest/gtest.h>

#include "hid/sim/SimCommand.h"

namespace orvix::sim {
namespace {

struct ParseCase {
    const char* line;
    std::optional<SimCommand> command;
};

void PrintTo(const ParseCase& c, std::ostream* os) { *os << '"' << c.line << '"'; }

class ParseCommand : public ::testing::TestWithParam<ParseCase> {};

TEST_P(ParseCommand, KnownLinesOnly) { EXPECT_EQ(parseSimCommand(GetParam().line), GetParam().command); }

INSTANTIATE_TEST_SUITE_P(
    Table, ParseCommand,
    ::testing::Values(
        ParseCase{"unplug", SimCommand{SimCommand::Unplug}}, ParseCase{"plug", SimCommand{SimCommand::Plug}},
        ParseCase{"unplug-other", SimCommand{SimCommand::UnplugOther}}, ParseCase{"link", SimCommand{SimCommand::Link}},
        ParseCase{"unlink", SimCommand{SimCommand::Unlink}},
        ParseCase{"ack-wrong 3", SimCommand{SimCommand::AckWrong, 3}},
        ParseCase{"ack-drop 0", SimCommand{SimCommand::AckDrop, 0}},
        ParseCase{"delay 250", SimCommand{SimCommand::Delay, 250}},
        ParseCase{"flood 100000", SimCommand{SimCommand::Flood, 100000}},
        ParseCase{"flood 0", SimCommand{SimCommand::Flood, 0}}, ParseCase{"flood", std::nullopt},
        ParseCase{"flood -1", std::nullopt}, ParseCase{"flood 1 2", std::nullopt},
        ParseCase{"  delay\t4294967295 \r", SimCommand{SimCommand::Delay, 4294967295u}}, ParseCase{"", std::nullopt},
        ParseCase{"   ", std::nullopt}, ParseCase{"Plug", std::nullopt}, ParseCase{"plugged", std::nullopt},
        ParseCase{"plug now", std::nullopt}, ParseCase{"delay", std::nullopt}, ParseCase{"delay -5", std::nullopt},
        ParseCase{"delay +5", std::nullopt}, ParseCase{"delay 5ms", std::nullopt},
        ParseCase{"delay 0x10", std::nullopt}, ParseCase{"delay 4294967296", std::nullopt},
        ParseCase{"ack-wrong 1 2", std::nullopt}, ParseCase{"# unplug", std::nullopt}));

class Lines : public ::testing::Test {
protected:
    void feed(const std::string& bytes) {
        splitter.feed(bytes.data(), bytes.size(), [&](const std::string& line) { lines.push_back(line); });
    }
    LineSplitter splitter;
    std::vector<std::string> lines;
};

TEST_F(Lines, ALineMayComeInPiecesAndSeveralInOnePiece) {
    feed("pl");
    EXPECT_TRUE(lines.empty());
    feed("ug\nunplug\nli");
    feed("nk\n");
    EXPECT_EQ(lines, (std::vector<std::string>{"plug", "unplug", "link"}));
}

TEST_F(Lines, AnOverlongLineIsDroppedWholeAndTheNextOneKept) {
    feed(std::string(LineSplitter::kMaxLine + 1, 'x'));
    feed(std::string(10 * LineSplitter::kMaxLine, 'y'));
    feed("z\nplug\n");
    EXPECT_EQ(lines, (std::vector<std::string>{"plug"}));
    feed(std::string(LineSplitter::kMaxLine, 'a') + "\n");
    ASSERT_EQ(lines.size(), 2u) << "a line of the longest length is kept";
}

}  // namespace
}  // namespace orvix::sim
