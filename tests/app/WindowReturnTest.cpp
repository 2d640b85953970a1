// The wake where the window system may neither report nor undo a minimise (a Wayland compositor),
// and the second start's activation token on its way to Qt.
#include <gtest/gtest.h>

#include <QWindow>

#include "tests/app/MainWindowFixture.h"

namespace orvix::test {
namespace {

// Records the program's own hiding and showing of the window (not the window system's word that it
// was minimised or restored), and the token in the environment at each show.
class ShowLog : public QObject {
public:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->spontaneous()) return false;
        if (event->type() == QEvent::Hide) events += "hide ";
        if (event->type() == QEvent::Show) {
            events += "show ";
            tokenAtShow = qgetenv("XDG_ACTIVATION_TOKEN").toStdString();
        }
        return false;
    }
    std::string events;
    std::string tokenAtShow = "(no show)";
};

class WindowReturn : public MainWindowFixture {
protected:
    void SetUp() override { qunsetenv("XDG_ACTIVATION_TOKEN"); }
    void TearDown() override {
        qunsetenv("XDG_ACTIVATION_TOKEN");
        MainWindowFixture::TearDown();
    }
    void startWithout(bool minimiseReported) {
        trayHost = false;
        create();
        fmMain->setMinimiseReportedCheck([minimiseReported] { return minimiseReported; });
        fmMain->show();
        settle();
        fmMain->installEventFilter(&log);
    }
    void send(intptr_t lParam, std::string token = {}) {
        bool handled = false;
        fmMain->ApplicationEvents1Message({wakeMsg, kWakeSignature, lParam, std::move(token)}, handled);
        EXPECT_TRUE(handled);
        settle();
    }
    void minimiseAndWait(const std::function<void(TfmMain&)>& minimise) {
        minimise(*fmMain);
        for (int i = 0; i < 300 && !fmMain->isMinimized(); ++i) settle(10);
        ASSERT_TRUE(fmMain->isMinimized());
        log.events.clear();
    }
    ShowLog log;
};

struct ReturnCase {
    const char* name;
    bool minimiseReported;                   // the window system's side
    std::function<void(TfmMain&)> minimise;  // what put the window away
    const char* events;                      // what the wake did to the window
};

class MinimisedWindow : public WindowReturn, public ::testing::WithParamInterface<ReturnCase> {};

TEST_P(MinimisedWindow, ComesBackAtTheWake) {
    const ReturnCase& c = GetParam();
    startWithout(c.minimiseReported);
    minimiseAndWait(c.minimise);
    send(kWakeOpen);
    EXPECT_EQ(log.events, c.events);
    EXPECT_TRUE(fmMain->isVisible());
    EXPECT_FALSE(fmMain->isMinimized());
    EXPECT_TRUE(fmMain->mnHide->isEnabled());

    // Once back, a further wake leaves the window as it is. (The test's window system reports
    // states of its own after a window is shown anew, which a compositor never does.)
    if (c.minimiseReported) {
        log.events.clear();
        send(kWakeOpen);
        EXPECT_EQ(log.events, "");
    }
}

INSTANTIATE_TEST_SUITE_P(
    Shell, MinimisedWindow,
    ::testing::Values(
        // Restored on request: the window stays the same one on screen.
        ReturnCase{"ReportedCancel", true, [](TfmMain& w) { w.btCancelClick(); }, ""},
        // Not: the window is taken off and shown anew, whether hiding minimised it or its own title bar did.
        ReturnCase{"UnreportedCancel", false, [](TfmMain& w) { w.btCancelClick(); }, "hide show "},
        ReturnCase{"UnreportedTitleBarButton", false,
                   [](TfmMain& w) { w.windowHandle()->setWindowStates(Qt::WindowMinimized); }, "hide show "}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(WindowReturn, AWindowNeverMinimisedIsNotShownAnew) {
    startWithout(false);
    send(kWakeOpen);
    EXPECT_EQ(log.events, "");
    EXPECT_TRUE(fmMain->isVisible());
}

struct TokenCase {
    const char* name;
    std::vector<std::pair<intptr_t, std::string>> before;  // messages ahead of hiding and the wake
    const char* tokenAtShow;
};

class ActivationToken : public WindowReturn, public ::testing::WithParamInterface<TokenCase> {};

TEST_P(ActivationToken, IsInTheEnvironmentWhileTheWakeShowsTheWindowAndGoneAfter) {
    const TokenCase& c = GetParam();
    startWithout(false);
    for (const auto& [lParam, token] : c.before) send(lParam, token);
    minimiseAndWait([](TfmMain& w) { w.btCancelClick(); });
    log.tokenAtShow = "(no show)";
    send(kWakeOpen);
    EXPECT_EQ(log.tokenAtShow, c.tokenAtShow);
    EXPECT_FALSE(qEnvironmentVariableIsSet("XDG_ACTIVATION_TOKEN")) << "one use only";
}

INSTANTIATE_TEST_SUITE_P(
    Shell, ActivationToken,
    ::testing::Values(TokenCase{"None", {}, ""},
                      TokenCase{"Given", {{kWakeToken, "launcher-42_TIME9"}}, "launcher-42_TIME9"},
                      TokenCase{"TheLastOneGivenCounts", {{kWakeToken, "old"}, {kWakeToken, "new"}}, "new"},
                      // A wake takes the token given before it along: the next wake has none.
                      TokenCase{"UsedByAnEarlierWake", {{kWakeToken, "spent"}, {kWakeOpen, ""}}, ""}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace orvix::test
