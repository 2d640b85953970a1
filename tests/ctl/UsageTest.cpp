// The command line as a user gets it wrong, and the help on every command: usage errors end with
// exit code 2 and one message on standard error, and send nothing to the receiver.

#include <gmock/gmock.h>

#include <fstream>

#include "tests/ctl/CtlProgram.h"

namespace orvix::test {
namespace {

using ::testing::HasSubstr;
using ::testing::StartsWith;

struct UsageCase {
    std::vector<std::string> args;
    std::string message;
};

TEST_F(CtlTest, UsageErrorsSayWhatIsWrongAndSendNothing) {
    std::ofstream(dir / "bad-layout.txt") << "# a layout\n2=LEFT BUTTON\n\n7=RIGHT BUTTON\n";
    std::ofstream(dir / "twice.txt") << "3=STOP\n3=MUTE\n";
    std::string badLayout = (dir / "bad-layout.txt").string(), twice = (dir / "twice.txt").string();
    const std::vector<UsageCase> cases{
        {{}, "usage: orvixctl COMMAND"},
        {{"frobnicate"}, "orvixctl: unknown command 'frobnicate'"},
        {{"list", "--bogus"}, "orvixctl: list: unknown option '--bogus'"},
        {{"list", "--json=yes"}, "option '--json' takes no value"},
        {{"list", "extra"}, "list: unexpected 'extra'"},
        {{"status", "--timeout"}, "option '--timeout' needs a value"},
        {{"status", "--timeout", "0"}, "wants seconds above 0"},
        {{"status", "--timeout=soon"}, "not 'soon'"},
        {{"status", "--timeout", "-1"}, "wants seconds above 0"},
        {{"functions", "--lang", "XX"}, "no language folder 'XX' beside the program (there are: EN, CHN, JPN)"},
        {{"apply", "1=LEFT BUTTON"}, "key 1 is the fixed key (CURSOR/SCROLL MODE) and cannot be changed"},
        {{"apply", "6=LEFT BUTTON"}, "key '6' does not exist: the keys are 1 to 5"},
        {{"apply", "22=LEFT BUTTON"}, "key '22' does not exist"},
        {{"apply", "2"}, "'2' is not KEY=FUNCTION"},
        {{"apply", "2=NOTHING LIKE IT"}, "no function is called 'NOTHING LIKE IT'"},
        {{"apply", "2=LEFT BUTTON", "2=RIGHT BUTTON"}, "key 2 is given twice"},
        {{"apply", "2=0x10000"}, "'0x10000' is no function code (0x0000 to 0xFFFF)"},
        {{"apply", "2=0x12G4"}, "'0x12G4' is no function code"},
        {{"apply", "2=WINDOWS BUTTON"}, "'WINDOWS BUTTON' is a heading of the catalogue, not a function"},
        {{"apply", "2=-"}, "'-' is a heading of the catalogue"},
        {{"apply", "2=cursor/scroll mode"},
         "is not offered for a key (it is the fixed key's function); give its code 0x4000"},
        {{"apply", "--reset", "2=LEFT BUTTON"}, "--reset gives every key its default"},
        {{"apply", "--from", (dir / "missing.txt").string()}, "cannot read the layout file"},
        {{"apply", "--from", dir.string()}, "not a file"},
        {{"apply", "--from", badLayout}, badLayout + ":4: key '7' does not exist"},
        {{"apply", "--from", twice}, twice + ":2: key 3 is given twice"},
        {{"save"}, "save: name the FILE to write"},
        {{"save", (dir / "x.txt").string(), "9=STOP"}, "key '9' does not exist"},
        {{"save", (dir / "no-such-folder" / "x.txt").string()}, "cannot write the layout file"},
        {{"send"}, "send: give the bytes to send"},
        {{"send", "02", "zz"}, "send: 'zz' is not a hexadecimal number"},
        {{"send", "0x02"}, "'0x02' is not a hexadecimal number"},
        {{"send", "1 2\t3"}, "is not a hexadecimal number"},
        {{"a4"}, "a4: give one argument in hexadecimal"},
        {{"a4", "1F", "20"}, "a4: give one argument"},
        {{"a4", "0x1F"}, "a4: '0x1F' is not a hexadecimal number"},
        {{"a4", "100000000"}, "'100000000' is not a hexadecimal number"},
        {{"monitor", "now"}, "monitor: unexpected 'now'"},
    };
    for (const UsageCase& c : cases) {
        std::string shown;
        for (const auto& a : c.args) shown += " [" + a + "]";
        SCOPED_TRACE("orvixctl" + shown);
        CtlResult r = run(c.args);
        EXPECT_EQ(r.code, 2);
        EXPECT_THAT(r.err, HasSubstr(c.message));
        EXPECT_EQ(r.out, "");
    }
    EXPECT_TRUE(written().empty());
    EXPECT_FALSE(std::filesystem::exists(dir / "x.txt"));
}

TEST_F(CtlTest, EveryCommandHasHelpAndTheOverviewNamesThemAll) {
    const std::vector<std::string> names{"list", "status", "functions", "apply", "save", "send", "a4", "monitor"};
    CtlResult overview = run({"--help"});
    EXPECT_EQ(overview.code, 0);
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        EXPECT_THAT(overview.out, HasSubstr("\n  " + name + " "));
        CtlResult help = run({name, "--help"});
        EXPECT_EQ(help.code, 0);
        EXPECT_THAT(help.out, StartsWith("usage: orvixctl " + name));
        EXPECT_EQ(help.err, "");
        // Asking for help is never taken as the command itself, whatever else is given.
        CtlResult withOthers = run({name, "2=NOTHING", "-h"});
        EXPECT_EQ(withOthers.code, 0);
        EXPECT_EQ(withOthers.out, help.out);
    }
    EXPECT_TRUE(written().empty());
    // After "--" it is an operand again.
    EXPECT_EQ(run({"apply", "--", "--help"}).code, 2);
}

}  // namespace
}  // namespace orvix::test
