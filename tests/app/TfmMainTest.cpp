#include <gtest/gtest.h>

#include "tests/app/MainWindowFixture.h"

namespace orvix::test {
namespace {

struct WakeCase {
    const char* name;
    bool hiddenBefore;
    PostedMessage message;
    bool handled;
    bool visibleAfter;
};

class WakeRequest : public MainWindowFixture, public ::testing::WithParamInterface<WakeCase> {};

TEST_P(WakeRequest, OpensTheWindowOnlyForTheSignatureAndLParamOne) {
    const WakeCase& c = GetParam();
    start();
    if (c.hiddenBefore) fmMain->btCancelClick();
    bool handled = false;
    fmMain->ApplicationEvents1Message(c.message, handled);
    settle();
    EXPECT_EQ(handled, c.handled);
    EXPECT_EQ(fmMain->isVisible(), c.visibleAfter);
    // The two window items always say the opposite of each other, and follow the window.
    EXPECT_EQ(fmMain->mnOpen->isEnabled(), !c.visibleAfter);
    EXPECT_EQ(fmMain->mnHide->isEnabled(), c.visibleAfter);
}

constexpr uint32_t W = MainWindowFixture::wakeMsg;
INSTANTIATE_TEST_SUITE_P(Shell, WakeRequest,
                         ::testing::Values(WakeCase{"HiddenWindowReappears", true, {W, 45470, 1}, true, true},
                                           WakeCase{"ShownWindowStaysShown", false, {W, 45470, 1}, true, true},
                                           WakeCase{"LParamZeroIsSwallowed", true, {W, 45470, 0}, true, false},
                                           WakeCase{"LParamTwoIsSwallowed", true, {W, 45470, 2}, true, false},
                                           WakeCase{"OtherWParamPasses", true, {W, 45471, 1}, false, false},
                                           WakeCase{"OtherMessagePasses", true, {W + 1, 45470, 1}, false, false}),
                         [](const auto& info) { return std::string(info.param.name); });

struct StartCase {
    const char* name;
    std::vector<std::string> arguments;
    bool visible;
    bool notificationMode;
};

class StartArguments : public MainWindowFixture, public ::testing::WithParamInterface<StartCase> {};

TEST_P(StartArguments, SelectTheStartMode) {
    start(GetParam().arguments);
    settle(20);
    EXPECT_EQ(fmMain->isVisible(), GetParam().visible);
    EXPECT_EQ(fmMain->notificationMode(), GetParam().notificationMode);
    EXPECT_EQ(fmMain->mnOpen->isEnabled(), !GetParam().visible);
}

INSTANTIATE_TEST_SUITE_P(Shell, StartArguments,
                         ::testing::Values(StartCase{"None", {}, true, false},
                                           StartCase{"Hide", {"-hide"}, false, false},
                                           StartCase{"HideUpperCase", {"-HIDE"}, false, false},
                                           StartCase{"Quano", {"-quano"}, true, true},
                                           StartCase{"HideWithASecondArgument", {"-hide", "x"}, true, false},
                                           StartCase{"Other", {"-x"}, true, false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(MainWindowFixture, ReceiverIsTakenOnlyOnceTheEventLoopRuns) {
    create({}, {receiver("R")});
    ASSERT_NE(fmMain->fmHid, nullptr);
    EXPECT_FALSE(fmMain->fmHid->connection().devOn()) << "nothing is scanned during creation";
    fmMain->show();
    settle();
    EXPECT_TRUE(fmMain->fmHid->connection().devOn());
    EXPECT_FALSE(fmMain->fmHid->isVisible()) << "the console stays hidden";
    EXPECT_EQ(fmMain->fmHid->windowTitle(), "Dev On");
}

TEST_F(MainWindowFixture, CloseRequestHidesAndAnotherWhileHiddenChangesNothing) {
    start({}, {receiver("R")});
    EXPECT_FALSE(fmMain->close());
    EXPECT_FALSE(fmMain->isVisible());
    EXPECT_TRUE(fmMain->mnOpen->isEnabled());
    EXPECT_FALSE(fmMain->close());
    EXPECT_FALSE(fmMain->isVisible());
    EXPECT_TRUE(fmMain->fmHid->connection().devOn()) << "the receiver stays connected";
}

TEST_F(MainWindowFixture, ExitClosesForGoodEvenWhileHidden) {
    start();
    fmMain->btCancelClick();
    fmMain->mnExitClick();
    EXPECT_FALSE(fmMain->isVisible());
    EXPECT_FALSE(fmMain->isEnabled());
}

TEST_F(MainWindowFixture, DisabledItemHandlerNeverRuns) {
    start();
    ASSERT_FALSE(fmMain->mnOpen->isEnabled());
    fmMain->hide();  // behind the items' back
    TfmMain::triggerItem(fmMain->mnOpen);
    EXPECT_FALSE(fmMain->isVisible());
}

}  // namespace
}  // namespace orvix::test
