#pragma once
// The real main window over the scripted HID platform, driven through Qt's event loop.

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMessageBox>
#include <QTabWidget>
#include <QTextBrowser>
#include <QTemporaryDir>
#include <QTimer>
#include <memory>

#include "app/QtEventLoop.h"
#include "app/TfmMain.h"
#include "hidMain/TfmHid.h"
#include "tests/support/FakeHidPlatform.h"
#include "tests/support/FakeTrayHost.h"

namespace orvix::test {

class MainWindowFixture : public ::testing::Test {
public:
    static constexpr uint32_t wakeMsg = 0xC123;

protected:
    void TearDown() override { fmMain.reset(); }

    void create(std::vector<std::string> arguments = {}, std::vector<FakeInterface> interfaces = {}) {
        auto platform = std::make_unique<FakeHidPlatform>(loop);
        fake = platform.get();
        for (auto& iface : interfaces) fake->plug(iface);
        TfmMainStartup startup;
        startup.arguments = std::move(arguments);
        startup.programFolder = programFolder;
        startup.settings = std::move(settings);
        startup.trayHosts = makeFakeTrayHost();
        fmMain = std::make_unique<TfmMain>(loop, std::move(platform), std::move(startup));
        fmMain->setWakeMessage(wakeMsg);
    }
    // Creates, shows as the start-up does, and lets the event loop run.
    void start(std::vector<std::string> arguments = {}, std::vector<FakeInterface> interfaces = {}) {
        create(std::move(arguments), std::move(interfaces));
        fmMain->show();
        settle();
    }

    static void settle(int ms = 0) {
        QElapsedTimer t;
        t.start();
        do {
            QApplication::processEvents(QEventLoop::AllEvents, 5);
        } while (t.elapsed() < ms);
    }

    static FakeInterface receiver(const std::string& id) { return FakeInterface{id}; }

    // What a help view shows once the user opens its tab (a page is laid out only then).
    QString helpPage(QTextBrowser* view) {
        fmMain->pcFunc->setCurrentWidget(view->parentWidget());
        settle();
        return view->toPlainText();
    }

    // Accepts the error boxes that show from now on (the creation step's comes inside the
    // window's constructor), keeping their texts in `errors`.
    void acceptErrorBoxes() {
        QTimer::singleShot(5, &errorBoxWatch_, [this] {
            for (QWidget* w : QApplication::topLevelWidgets())
                if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible()) {
                    errors.push_back(box->text().toStdString());
                    box->accept();
                    return;
                }
            if (errors.empty() && ++errorBoxTries_ < 100) acceptErrorBoxes();
        });
    }
    std::vector<std::string> errors;

    // The window's notification area: there unless a test says otherwise.
    std::unique_ptr<FakeTrayHost> makeFakeTrayHost() {
        auto host = std::make_unique<FakeTrayHost>([this] { return trayHost; });
        trayHosts = host.get();
        return host;
    }
    bool trayHost = true;
    FakeTrayHost* trayHosts = nullptr;
    QString programFolder = "/nonexistent-program-folder";  // no language folders unless a test makes some
    std::unique_ptr<AppSettings> settings;  // offscreen there is none; most tests act as on a desktop with one
    QtEventLoop loop;
    FakeHidPlatform* fake = nullptr;
    std::unique_ptr<TfmMain> fmMain;

private:
    QObject errorBoxWatch_;  // a look still pending when the test ends goes with it
    int errorBoxTries_ = 0;
};

// The window over a program folder of the test's own, for language folders and catalogues.
class ProgramFolderFixture : public MainWindowFixture {
protected:
    void SetUp() override { programFolder = dir.path(); }
    // Writes a file below the program folder, making its folders.
    void write(const QString& name, const QByteArray& bytes) {
        QDir().mkpath(QFileInfo(dir.filePath(name)).path());
        QFile f(dir.filePath(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    QTemporaryDir dir;
};

}  // namespace orvix::test
