// Program entry: one copy per logon session; a second start wakes the first and ends.

#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/QtEventLoop.h"
#include "app/RegistrySettings.h"
#include "app/Screenshot.h"
#include "app/TfmMain.h"
#include "app/instance/SingleInstance.h"
#include "hid/HidPlatform.h"

int main(int argc, char** argv) {
    using namespace orvix;
    std::vector<std::string> arguments(argv + 1, argv + argc);
    // A misspelt simulated layout would otherwise start with another receiver than asked for.
    if (std::string problem = hidPlatformProblem(); !problem.empty()) {
        std::fprintf(stderr, "orvix-mouse: %s\n", problem.c_str());
        return 2;
    }

    auto instance = makeSingleInstance();
    if (instance->createMutex()) {
        // A desktop launcher hands the start a token that lets a window come to the front; the
        // first copy's window is the one that must.
        wakeFirstInstance(*instance, std::getenv("XDG_ACTIVATION_TOKEN"));  // nothing else of the program starts
        return 0;
    }
    uint32_t wakeMsg = instance->registerWakeMessage();

    // Qt sees the program's name alone: the arguments are the program's, and none of them may
    // restyle, mirror, move or re-route the window (-reverse, -style, -geometry, -platform ...).
    int qtArgc = 1;
    char* qtArgv[] = {argv[0], nullptr};
    QApplication app(qtArgc, qtArgv);
    // No display name: Qt would append it to every window title.
    QApplication::setApplicationName("orvix-mouse");
    QApplication::setQuitOnLastWindowClosed(false);  // the window hides to the tray; only "Exit" ends

    QtEventLoop loop;
    TfmMainStartup startup;
    startup.arguments = arguments;
    startup.programFolder = QCoreApplication::applicationDirPath();
    startup.settings = makeUserSettings();
    TfmMain fmMain(loop, makeHidPlatform(loop), std::move(startup));
    fmMain.setWakeMessage(wakeMsg);
    instance->listen(loop, [&fmMain](const PostedMessage& message) {
        bool handled = false;
        fmMain.ApplicationEvents1Message(message, handled);
    });

    fmMain.show();
    if (qEnvironmentVariableIsSet("ORVIX_SCREENSHOT"))
        saveScreenshotWhenShown(&fmMain, qEnvironmentVariable("ORVIX_SCREENSHOT"));
    int code = app.exec();
    instance.reset();  // its watch goes before the loop
    return code;
}
