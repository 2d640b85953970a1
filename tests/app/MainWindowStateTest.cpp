#include <gtest/gtest.h>

#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include "hidMain/TfmHid.h"
#include "tests/app/MainWindowFixture.h"
#include "tests/support/Screenshots.h"

namespace orvix::test {
namespace {

enum class State { Shown, Hidden, Exiting };

struct Transition {
    const char* name;
    State from;
    std::function<void(TfmMain&)> event;
    State to;
};

void trayLeft(TfmMain& w) { w.mTrayMouseDown(Qt::LeftButton, Qt::LeftButton, Qt::NoModifier); }

class WindowStates : public MainWindowFixture, public ::testing::WithParamInterface<Transition> {};

TEST_P(WindowStates, MoveAsTheStateTableSays) {
    const Transition& t = GetParam();
    start({}, {receiver("R")});
    if (t.from == State::Hidden) fmMain->btCancelClick();
    ASSERT_EQ(fmMain->isVisible(), t.from == State::Shown);
    t.event(*fmMain);
    settle();
    switch (t.to) {
    case State::Shown:
    case State::Hidden: {
        bool shown = t.to == State::Shown;
        EXPECT_EQ(fmMain->isVisible(), shown);
        EXPECT_EQ(fmMain->mnOpen->isEnabled(), !shown);
        EXPECT_EQ(fmMain->mnHide->isEnabled(), shown);
        EXPECT_TRUE(fmMain->isEnabled());
        EXPECT_TRUE(fmMain->fmHid->connection().devOn()) << "hiding keeps the receiver";
        break;
    }
    case State::Exiting:
        EXPECT_FALSE(fmMain->isEnabled());
        EXPECT_FALSE(fmMain->isVisible());
        break;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Shell, WindowStates,
    ::testing::Values(
        Transition{"CancelHides", State::Shown, [](TfmMain& w) { QTest::mouseClick(w.btCancel, Qt::LeftButton); },
                   State::Hidden},
        Transition{"HideItemHides", State::Shown, [](TfmMain& w) { TfmMain::triggerItem(w.mnHide); }, State::Hidden},
        Transition{"CloseRequestHides", State::Shown, [](TfmMain& w) { w.close(); }, State::Hidden},
        Transition{"MinimiseHides", State::Shown, [](TfmMain& w) { w.ApplicationEvents1Minimize(); }, State::Hidden},
        Transition{"TrayLeftPressHides", State::Shown, trayLeft, State::Hidden},
        Transition{"OpenItemShows", State::Hidden, [](TfmMain& w) { TfmMain::triggerItem(w.mnOpen); }, State::Shown},
        Transition{"TrayLeftPressShows", State::Hidden, trayLeft, State::Shown},
        Transition{"CloseRequestWhileHiddenDoesNothing", State::Hidden, [](TfmMain& w) { w.close(); }, State::Hidden},
        Transition{"MinimiseWhileHiddenDoesNothing", State::Hidden, [](TfmMain& w) { w.ApplicationEvents1Minimize(); },
                   State::Hidden},
        Transition{"HideItemWhileHiddenDoesNothing", State::Hidden, [](TfmMain& w) { TfmMain::triggerItem(w.mnHide); },
                   State::Hidden},
        Transition{"ExitWhileShown", State::Shown, [](TfmMain& w) { TfmMain::triggerItem(w.mnExit); }, State::Exiting},
        Transition{"ExitWhileHiddenShowsNothing", State::Hidden, [](TfmMain& w) { TfmMain::triggerItem(w.mnExit); },
                   State::Exiting}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(MainWindowFixture, HideOfAMinimisedWindowRestoresItInstead) {
    start();
    fmMain->showMinimized();
    fmMain->btCancelClick();
    settle();
    EXPECT_TRUE(fmMain->isVisible());
    EXPECT_FALSE(fmMain->isMinimized());
    EXPECT_FALSE(fmMain->mnOpen->isEnabled()) << "the items stay as they were";
}

// Without a notification area nothing could bring a hidden window back, nor reach "Exit".
struct StrandedCase {
    const char* name;
    std::vector<std::string> arguments;
    std::function<void(TfmMain&)> hide;  // what puts the window away
    std::function<void(TfmMain&)> open;  // what brings it back
};

class WithoutANotificationArea : public MainWindowFixture, public ::testing::WithParamInterface<StrandedCase> {};

TEST_P(WithoutANotificationArea, HidingMinimisesAndTheWakeOrOpenRestoresTheWindow) {
    const StrandedCase& c = GetParam();
    trayHost = false;
    start(c.arguments);
    c.hide(*fmMain);
    // A window minimises once it is on screen.
    for (int i = 0; i < 300 && !fmMain->isMinimized(); ++i) settle(10);
    EXPECT_TRUE(fmMain->isVisible());
    EXPECT_TRUE(fmMain->isMinimized());
    EXPECT_TRUE(fmMain->isEnabled()) << "the program goes on";
    c.open(*fmMain);
    settle();
    EXPECT_TRUE(fmMain->isVisible());
    EXPECT_FALSE(fmMain->isMinimized()) << "back in its normal state";
    EXPECT_FALSE(fmMain->mnOpen->isEnabled());
    EXPECT_TRUE(fmMain->mnHide->isEnabled());
}

void wake(TfmMain& w) {
    bool handled = false;
    w.ApplicationEvents1Message({MainWindowFixture::wakeMsg, kWakeSignature, kWakeOpen}, handled);
}

INSTANTIATE_TEST_SUITE_P(
    Shell, WithoutANotificationArea,
    ::testing::Values(StrandedCase{"CancelThenWake", {}, [](TfmMain& w) { w.btCancelClick(); }, wake},
                      StrandedCase{"HideItemThenOpenItem",
                                   {},
                                   [](TfmMain& w) { TfmMain::triggerItem(w.mnHide); },
                                   [](TfmMain& w) { w.mnOpenClick(); }},
                      StrandedCase{"MinimisedByTheUserThenWake", {}, [](TfmMain& w) { w.showMinimized(); }, wake},
                      StrandedCase{"HideStartThenWake", {"-hide"}, [](TfmMain&) {}, wake}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(MainWindowFixture, WithoutANotificationAreaACloseRequestEndsTheProgram) {
    trayHost = false;
    start();
    fmMain->close();
    settle();
    EXPECT_FALSE(fmMain->isVisible());
    EXPECT_FALSE(fmMain->isEnabled()) << "exiting";
}

// A notification area that appears after the start (the panel at logon): the icon is made then,
// once, and from then on hiding hides.
TEST_F(MainWindowFixture, ATrayHostThatAppearsLaterGetsTheIconAndHidingHidesFromThen) {
    trayHost = false;
    start();
    EXPECT_EQ(fmMain->mTray, nullptr) << "no icon before a host exists";
    trayHost = true;
    trayHosts->announce();
    settle();
    ASSERT_NE(fmMain->mTray, nullptr);
    EXPECT_TRUE(fmMain->mTray->isVisible());
    fmMain->btCancelClick();
    settle();
    EXPECT_FALSE(fmMain->isVisible()) << "hidden, not minimised";
    EXPECT_TRUE(fmMain->mnOpen->isEnabled());

    trayHost = false;  // the panel restarts
    trayHosts->announce();
    trayHost = true;
    trayHosts->announce();
    settle();
    EXPECT_EQ(trayHosts->iconsMade, 1);
    EXPECT_EQ(fmMain->findChildren<QSystemTrayIcon*>().size(), 1) << "one icon for the whole run";
}

struct Press {
    const char* name;
    Qt::MouseButton button;
    Qt::MouseButtons held;
    Qt::KeyboardModifiers modifiers;
    bool toggles;
};

class TrayPress : public MainWindowFixture, public ::testing::WithParamInterface<Press> {};

TEST_P(TrayPress, OnlyTheLeftButtonAloneToggles) {
    start();
    const Press& p = GetParam();
    fmMain->mTrayMouseDown(p.button, p.held, p.modifiers);
    settle();
    EXPECT_EQ(fmMain->isVisible(), !p.toggles);
    if (p.toggles) {
        fmMain->mTrayMouseDown(p.button, p.held, p.modifiers);
        EXPECT_TRUE(fmMain->isVisible()) << "and back";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Shell, TrayPress,
    ::testing::Values(Press{"Left", Qt::LeftButton, Qt::LeftButton, Qt::NoModifier, true},
                      Press{"LeftWithCtrl", Qt::LeftButton, Qt::LeftButton, Qt::ControlModifier, false},
                      Press{"LeftWithShift", Qt::LeftButton, Qt::LeftButton, Qt::ShiftModifier, false},
                      Press{"LeftWithRightHeld", Qt::LeftButton, Qt::LeftButton | Qt::RightButton, Qt::NoModifier,
                            false},
                      Press{"Right", Qt::RightButton, Qt::RightButton, Qt::NoModifier, false},
                      Press{"Middle", Qt::MiddleButton, Qt::MiddleButton, Qt::NoModifier, false}),
    [](const auto& info) { return std::string(info.param.name); });

struct Gesture {
    const char* name;
    Qt::MouseButton button;
    Qt::KeyboardModifiers modifiers;
    bool console;
    bool exportView;
};

class CancelGestures : public MainWindowFixture, public ::testing::WithParamInterface<Gesture> {};

TEST_P(CancelGestures, OnlyTheExactStatesOpenTheHiddenViews) {
    start({}, {receiver("R")});
    const Gesture& g = GetParam();
    QTest::mousePress(fmMain->btCancel, g.button, g.modifiers);
    QTest::mouseRelease(fmMain->btCancel, g.button, g.modifiers);
    settle();
    EXPECT_EQ(fmMain->fmHid->isVisible(), g.console);
    EXPECT_EQ(fmMain->smsg->isVisible(), g.exportView);
    EXPECT_EQ(fmMain->width(), g.exportView ? 1184 : 684);
    EXPECT_TRUE(fmMain->isVisible()) << "a gesture never also clicks CANCEL";
}

const auto SA = Qt::ShiftModifier | Qt::AltModifier;
const auto AC = Qt::AltModifier | Qt::ControlModifier;
INSTANTIATE_TEST_SUITE_P(
    Shell, CancelGestures,
    ::testing::Values(Gesture{"ShiftAltRightOpensTheConsole", Qt::RightButton, SA, true, false},
                      Gesture{"AltCtrlMiddleOpensTheExport", Qt::MiddleButton, AC, false, true},
                      Gesture{"ShiftAltRightWithCtrl", Qt::RightButton, SA | Qt::ControlModifier, false, false},
                      Gesture{"ShiftRight", Qt::RightButton, Qt::ShiftModifier, false, false},
                      Gesture{"ShiftAltMiddle", Qt::MiddleButton, SA, false, false},
                      Gesture{"AltCtrlMiddleWithShift", Qt::MiddleButton, AC | Qt::ShiftModifier, false, false},
                      Gesture{"AltMiddle", Qt::MiddleButton, Qt::AltModifier, false, false},
                      Gesture{"AltCtrlRight", Qt::RightButton, AC, false, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(MainWindowFixture, ExportViewWidensTheWindowOnceAndScreenshotsOfTheViews) {
    start({}, {receiver("R")});
    fmMain->btCancelMouseDown(Qt::MiddleButton, Qt::MiddleButton, Qt::AltModifier | Qt::ControlModifier);
    EXPECT_EQ(fmMain->width(), 1184);
    EXPECT_EQ(fmMain->smsg->geometry(), QRect(684, 0, 500, 375));
    EXPECT_EQ(fmMain->sPanel1->width(), 1184);
    fmMain->btCancelMouseDown(Qt::MiddleButton, Qt::MiddleButton, Qt::AltModifier | Qt::ControlModifier);
    EXPECT_EQ(fmMain->width(), 1184) << "only once";
    screenshot(fmMain.get(), "main-window-export");
    fmMain->btCancelMouseDown(Qt::RightButton, Qt::RightButton, Qt::ShiftModifier | Qt::AltModifier);
    settle();
    screenshot(fmMain->fmHid, "main-window-hid-console");
}

}  // namespace
}  // namespace orvix::test
