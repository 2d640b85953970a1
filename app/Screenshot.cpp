#include "app/Screenshot.h"

#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <QTimer>
#include <QWidget>

namespace orvix {

void saveScreenshotWhenShown(QWidget* window, const QString& path) {
    // A moment for the window manager, the tray host and the first paint.
    QTimer::singleShot(800, window, [window, path] {
        QPixmap picture;
        if (QScreen* screen = window->screen(); screen && QGuiApplication::platformName() == "xcb")
            picture = screen->grabWindow(0);
        if (picture.isNull()) picture = window->grab();
        picture.save(path, "PNG");
    });
}

}  // namespace orvix
