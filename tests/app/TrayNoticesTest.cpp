#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QSystemTrayIcon>
#include <QWindow>

#include "app/TrayNotices.h"

namespace orvix::test {
namespace {

using Shown = std::vector<std::string>;

class Notices : public ::testing::Test {
protected:
    void SetUp() override {
        QObject::connect(&notices, &TrayNotices::shown, [this](const QString& title, const QString& text) {
            shown.push_back((title + ": " + text).toStdString());
        });
    }
    bool waitFor(const std::function<bool()>& pred, int ms) {
        QElapsedTimer t;
        t.start();
        while (!pred() && t.elapsed() < ms) QApplication::processEvents(QEventLoop::AllEvents, 5);
        return pred();
    }
    // Stands in for the window in which Qt draws its X11 tray icon, which an X11 tray host maps
    // (exposes) when it takes the icon in.
    void makeUnplacedIcon() {
        trayWindow = std::make_unique<QWindow>();
        trayWindow->setObjectName("QSystemTrayIconSysWindow");
        trayWindow->resize(22, 22);
    }

    bool trayHost = true;
    QSystemTrayIcon icon;
    TrayNotices notices{&icon, [this] { return trayHost; }};
    std::unique_ptr<QWindow> trayWindow;
    Shown shown;
};

TEST_F(Notices, ShowAtOnceWhereThePlatformPlacesTheIcon) {
    ASSERT_TRUE(trayIconPlaced(true));
    notices.show("Mouse", "RX push in.");
    EXPECT_EQ(shown, Shown{"Mouse: RX push in."});
}

TEST_F(Notices, WaitForTheIconsPlaceAndKeepTheirOrder) {
    makeUnplacedIcon();
    EXPECT_FALSE(trayIconPlaced(true));
    notices.show("Mouse", "RX push in.");
    notices.show("Mouse", "Mouse is link!");
    QApplication::processEvents();
    EXPECT_TRUE(shown.empty());
    EXPECT_TRUE(notices.waiting());
    trayWindow->show();  // the tray host takes the icon in
    ASSERT_TRUE(waitFor([&] { return !shown.empty(); }, 2000));
    EXPECT_EQ(shown, (Shown{"Mouse: RX push in.", "Mouse: Mouse is link!"}));
    notices.show("Mouse", "RX pull out!");
    EXPECT_EQ(shown.size(), 3u) << "a placed icon shows at once";
}

TEST_F(Notices, WaitForATrayHostThatStartsLater) {
    trayHost = false;
    notices.show("Mouse", "RX push in.");
    QApplication::processEvents();
    EXPECT_TRUE(shown.empty());
    trayHost = true;
    ASSERT_TRUE(waitFor([&] { return !shown.empty(); }, 2000));
    EXPECT_EQ(shown, Shown{"Mouse: RX push in."});
}

TEST_F(Notices, AnIconThatNeverGetsAPlaceDelaysThemOnlyAShortWhile) {
    makeUnplacedIcon();
    notices.show("Mouse", "RX push in.");
    EXPECT_FALSE(waitFor([&] { return !shown.empty(); }, 300)) << "it waits";
    ASSERT_TRUE(waitFor([&] { return !shown.empty(); }, TrayNotices::kLongestWaitMs + 5000)) << "but not for ever";
    EXPECT_FALSE(notices.waiting());
}

}  // namespace
}  // namespace orvix::test
