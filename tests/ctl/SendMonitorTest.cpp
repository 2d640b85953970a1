// send, a4 and monitor against the simulated receiver, through the real program.

#include <gmock/gmock.h>
#include <signal.h>

#include <regex>
#include <sstream>
#include <thread>

#include "tests/ctl/CtlProgram.h"

namespace orvix::test {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

TEST_F(CtlTest, SendAndA4PrintTheConsoleLinesOfTheExchange) {
    const std::string exchange = "W: 02 01 A4 1F 00 00 3D \nR: 80 00 00 00 00 00 00 \n";
    CtlResult sent = run({"send", "02", "01", "a4", "1f", "0", "00", "3D"});
    EXPECT_EQ(sent.code, 0) << sent.err;
    EXPECT_EQ(sent.out, exchange);
    CtlResult quoted = run({"send", "  02 01  A4 1F 00 00 3D "});  // one word, blanks as the console takes them
    EXPECT_EQ(quoted.out, exchange);
    for (const char* arg : {"1F", "1f", "001F"}) {
        CtlResult a4 = run({"a4", arg});
        EXPECT_EQ(a4.code, 0) << arg << a4.err;
        EXPECT_EQ(a4.out, exchange);
    }
    CtlResult key = run({"a4", "451003"});  // a key write: device key 3 gets 0x1045, bytes exchanged
    EXPECT_EQ(key.out, "W: 02 01 A4 03 10 45 04 \nR: 89 00 03 00 00 00 00 \n");
    EXPECT_EQ(written().size(), 6u);
}

TEST_F(CtlTest, SendWithoutAnAnswerAndWithMoreThanSevenBytes) {
    // A frame with a wrong checksum is not answered: a failure unless no answer is awaited.
    CtlResult unanswered = run({"send", "--timeout", "0.3", "3", "6", "1FF"});
    EXPECT_EQ(unanswered.code, 1);
    EXPECT_EQ(unanswered.out, "W: 03 06 FF \n");
    EXPECT_THAT(unanswered.err, HasSubstr("orvixctl: send: no answer from the receiver within 0.3 s"));
    CtlResult noWait = run({"send", "--no-wait", "3", "6"});
    EXPECT_EQ(noWait.code, 0);
    EXPECT_EQ(noWait.out, "W: 03 06 \n");
    CtlResult eight = run({"send", "--no-wait", "1", "2", "3", "4", "5", "6", "7", "8"});
    EXPECT_EQ(eight.out, "W: 01 02 03 04 05 06 07 08 \n");  // the log shows all, as the console's does
    EXPECT_THAT(eight.err, HasSubstr("a report carries 7 bytes; the rest are not sent"));
    EXPECT_THAT(written(), ElementsAre("OUT 04 03 06 FF 00 00 00 00", "OUT 04 03 06 00 00 00 00 00",
                                       "OUT 04 01 02 03 04 05 06 07"));
    control("unplug");
    CtlResult none = run({"a4", "1F"});
    EXPECT_EQ(none.code, 1);
    EXPECT_THAT(none.err, HasSubstr("orvixctl: a4: no receiver found"));
}

TEST_F(CtlTest, MonitorShowsTheConsoleLinesWithTimestampsUntilInterrupted) {
    auto monitor = start({"monitor"});
    ASSERT_TRUE(monitor->outputHas("R: 80 00 00 00 00 00 00"));  // its own status query answered
    control("unlink");
    ASSERT_TRUE(monitor->outputHas("R: 81 "));
    control("unplug");
    ASSERT_TRUE(monitor->outputHas("Dev out"));
    control("link");
    control("plug");
    // Taken again when it comes back, and asked again.
    ASSERT_TRUE(monitor->outputHas("Dev out\n", "R: 80"));
    monitor->signal(SIGINT);
    CtlResult r = monitor->wait();
    EXPECT_EQ(r.code, 0) << r.err;

    std::vector<std::string> lines;
    std::istringstream in(r.out);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    const std::regex stamp(R"(\d\d:\d\d:\d\d\.\d\d\d (.*))");
    std::vector<std::string> texts;
    for (const std::string& line : lines) {
        std::smatch m;
        ASSERT_TRUE(std::regex_match(line, m, stamp)) << line;
        texts.push_back(m[1]);
    }
    EXPECT_THAT(texts,
                ElementsAre("Dev on-> V: E8F P:  A6 N: 100", "W: 02 01 A4 1F 00 00 3D ", "R: 80 00 00 00 00 00 00 ",
                            "R: 81 00 00 00 00 00 00 ", "Dev out", "Dev on-> V: E8F P:  A6 N: 100",
                            "W: 02 01 A4 1F 00 00 3D ", "R: 80 00 00 00 00 00 00 "));
}

TEST_F(CtlTest, MonitorWaitsForAReceiverThatIsNotThereYet) {
    control("unplug");
    auto monitor = start({"monitor", "--no-query"});
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    control("plug");
    ASSERT_TRUE(monitor->outputHas("Dev on->"));
    control("unlink");
    ASSERT_TRUE(monitor->outputHas("R: 81"));
    monitor->signal(SIGTERM);
    CtlResult r = monitor->wait();
    EXPECT_EQ(r.code, 0);
    EXPECT_THAT(r.out, ::testing::Not(HasSubstr("W: ")));  // --no-query writes nothing
    EXPECT_TRUE(written().empty());
}

}  // namespace
}  // namespace orvix::test
