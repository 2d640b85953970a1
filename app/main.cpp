#include <QApplication>

#include "app/Screenshot.h"
#include "app/TfmMain.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    app.setApplicationName("Orvix mouse");
    app.setQuitOnLastWindowClosed(false);  // the window hides to the tray; only "Exit" ends

    orvix::TfmMain fmMain;
    fmMain.show();
    if (qEnvironmentVariableIsSet("ORVIX_SCREENSHOT"))
        orvix::saveScreenshotWhenShown(&fmMain, qEnvironmentVariable("ORVIX_SCREENSHOT"));
    return app.exec();
}
