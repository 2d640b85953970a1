// orvixctl.exe as a Windows user runs it, under wine: the real program with real arguments.

#include <gmock/gmock.h>
#include <windows.h>

#include <string>
#include <vector>

#include "app/instance/SingleInstance.h"
#include "tests/support/ChildProcess.h"

namespace orvix::test {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;

// The program sits in bin/, beside the tests' folder; ctl_runner starts it.
ChildResult orvixctl(const std::vector<std::string>& args) { return runChild("ctl_runner", args); }

class CtlWindows : public ::testing::Test {
protected:
    void SetUp() override { SetEnvironmentVariableW(L"ORVIX_HID", nullptr); }
    void TearDown() override { SetEnvironmentVariableW(L"ORVIX_HID", nullptr); }
};

TEST_F(CtlWindows, ListShowsWinesOwnHidDevicesAndNoReceiver) {
    ChildResult r = orvixctl({"list"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_THAT(r.output, HasSubstr("  845E 0001 "));   // wine's mouse
    EXPECT_THAT(r.output, HasSubstr("  845E 0002 "));   // and keyboard
    EXPECT_THAT(r.output, Not(HasSubstr("\n* 845E")));  // neither is the receiver
    ChildResult json = orvixctl({"list", "--json"});
    EXPECT_EQ(json.exitCode, 0);
    EXPECT_THAT(json.output, HasSubstr("\"vendor\": \"845E\", \"product\": \"0001\""));
    EXPECT_THAT(json.output, Not(HasSubstr("\"receiver\": true")));
    EXPECT_EQ(orvixctl({"status"}).exitCode, 1);  // no receiver
}

TEST_F(CtlWindows, TheSimulatedReceiverAnswersThroughTheWindowsLoop) {
    SetEnvironmentVariableW(L"ORVIX_HID", L"sim");
    ChildResult status = orvixctl({"status"});
    EXPECT_EQ(status.exitCode, 0);
    EXPECT_EQ(status.output, "linked\r\n");  // standard output is text, as on Windows
    ChildResult a4 = orvixctl({"a4", "1f"});
    EXPECT_EQ(a4.output, "W: 02 01 A4 1F 00 00 3D \r\nR: 80 00 00 00 00 00 00 \r\n");
    EXPECT_EQ(orvixctl({"apply", "2=double click", "5=0x1045"}).exitCode, 0);
    EXPECT_EQ(orvixctl({"apply", "1=STOP"}).exitCode, 2);
}

TEST_F(CtlWindows, WhileTheWindowsProgramRunsStatusSaysSo) {
    SetEnvironmentVariableW(L"ORVIX_HID", L"sim");
    auto window = makeSingleInstance();
    ASSERT_FALSE(window->createMutex());
    EXPECT_EQ(orvixctl({"status"}).exitCode, 1);
    EXPECT_EQ(orvixctl({"list"}).exitCode, 0);
    window.reset();
    EXPECT_EQ(orvixctl({"status"}).exitCode, 0);
}

}  // namespace
}  // namespace orvix::test
