#include "app/Artwork.h"

#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <QString>
#include <QSvgRenderer>

#include <algorithm>
#include <cmath>
#include <set>

// The resources live in a static library; naming them here keeps the linker from dropping them.
static void initArtworkResources() {
    static const bool done = [] {
        Q_INIT_RESOURCE(artwork);
        return true;
    }();
    (void)done;
}

namespace orvix::artwork {

namespace {

qreal screenRatio() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? std::max<qreal>(1.0, screen->devicePixelRatio()) : 1.0;
}

// An unreadable file gives a transparent pixmap of the right size, so layouts stay put.
QPixmap render(const QString& name, QSize devicePixels, qreal ratio) {
    initArtworkResources();
    QPixmap pixmap(devicePixels);
    pixmap.fill(Qt::transparent);
    QSvgRenderer renderer(QStringLiteral(":/artwork/") + name);
    if (renderer.isValid()) {
        QPainter painter(&pixmap);
        painter.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);
        renderer.render(&painter, QRectF(QPointF(0, 0), QSizeF(devicePixels)));
    }
    pixmap.setDevicePixelRatio(ratio);
    return pixmap;
}

QPixmap renderLogical(const QString& name, int width, int height) {
    const qreal ratio = screenRatio();
    const QSize devicePixels(static_cast<int>(std::lround(width * ratio)),
                             static_cast<int>(std::lround(height * ratio)));
    return render(name, devicePixels, ratio);
}

}  // namespace

QIcon windowIcon() {
    // Every size drawn by itself, and its HiDPI counterpart too, so none is scaled from another.
    const qreal ratio = screenRatio();
    std::set<int> devicePixels;
    for (int size : {16, 20, 24, 32, 40, 48, 64}) {
        devicePixels.insert(size);
        devicePixels.insert(static_cast<int>(std::lround(size * ratio)));
    }
    QIcon icon;
    for (int pixels : devicePixels)
        icon.addPixmap(render(QStringLiteral("icon.svg"), QSize(pixels, pixels), 1.0));
    return icon;
}

QPixmap trayImage(int index) {
    return renderLogical(QStringLiteral("tray-%1.svg").arg(std::clamp(index, 0, 1)), 32, 32);
}

QPixmap digitImage(int index) {
    return renderLogical(QStringLiteral("digit-%1.svg").arg(std::clamp(index, 0, 4) + 1), 30, 30);
}

QPixmap mousePicture() {
    return renderLogical(QStringLiteral("mouse.svg"), 272, 351);
}

}  // namespace orvix::artwork
