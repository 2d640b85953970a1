// GUI test programs: every test runs inside one QApplication, offscreen unless told otherwise.
#include <gmock/gmock.h>

#include <QApplication>
#include <cstring>
#include <vector>

#include "tests/support/CrashReport.h"
#include "tests/support/TestStart.h"

int main(int argc, char** argv) {
    orvix::test::markStarted();
    orvix::test::installCrashReport();
    // Messages, fatal ones too, go to the test's output: never to a message box nobody closes.
    qputenv("QT_FORCE_STDERR_LOGGING", "1");
    // Offscreen unless a platform is named. As an argument: under wine no QT_ variable reaches a
    // program.
    std::vector<char*> args(argv, argv + argc);
    bool named = !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
    for (int i = 1; i < argc; ++i) named = named || std::strcmp(argv[i], "-platform") == 0;
    static char platform[] = "-platform", offscreen[] = "offscreen";
    if (!named) args.insert(args.begin() + 1, {platform, offscreen});
    args.push_back(nullptr);
    int qtArgc = static_cast<int>(args.size()) - 1;
    QApplication app(qtArgc, args.data());
    QApplication::setApplicationName("orvix-mouse");
    QApplication::setQuitOnLastWindowClosed(false);
    testing::InitGoogleMock(&qtArgc, args.data());
    return RUN_ALL_TESTS();
}
