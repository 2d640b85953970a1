#include "app/Artwork.h"

#include <QGuiApplication>
#include <QImage>
#include <QMap>
#include <QScreen>
#include <QString>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>

#include "app/ArtworkRenders.h"

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

QString resource(const std::string& file) { return QStringLiteral(":/artwork/") + QString::fromStdString(file); }

// Decoded once per run. Images, not pixmaps: they outlive the application object safely. Kept in
// the format pixmaps draw from, so a pixmap shares the image's pixels instead of copying them.
const QImage& cachedImage(const QString& key, const std::function<QImage()>& make) {
    static QMap<QString, QImage> cache;
    auto it = cache.find(key);
    if (it == cache.end()) it = cache.insert(key, make().convertToFormat(QImage::Format_ARGB32_Premultiplied));
    return *it;
}

const Picture* findPicture(const char* stem) {
    for (const Picture& p : kPictures)
        if (std::strcmp(p.stem, stem) == 0) return &p;
    return nullptr;
}

}  // namespace

QPixmap picture(const char* stem, qreal ratio) {
    initArtworkResources();
    const Picture* p = findPicture(stem);
    if (!p) return {};
    ratio = std::max<qreal>(1.0, ratio);
    const QSize pixels(static_cast<int>(std::lround(p->width * ratio)),
                       static_cast<int>(std::lround(p->height * ratio)));
    const QString key = QStringLiteral("%1 %2x%3").arg(stem).arg(pixels.width()).arg(pixels.height());
    const QImage& image = cachedImage(key, [&] {
        const int render = ratio == 1.0 ? 1 : 2;  // any other ratio scales the 2x render
        QImage loaded(resource(pictureFile(stem, render)));
        if (loaded.isNull()) {
            QImage blank(pixels, QImage::Format_ARGB32_Premultiplied);
            blank.fill(Qt::transparent);
            return blank;
        }
        if (loaded.size() != pixels) loaded = loaded.scaled(pixels, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        return loaded;
    });
    QPixmap pixmap = QPixmap::fromImage(image);
    pixmap.setDevicePixelRatio(ratio);
    return pixmap;
}

QIcon windowIcon() {
    initArtworkResources();
    // Every size a render of its own, so none is scaled from another on either kind of screen.
    QIcon icon;
    for (int pixels : kIconSizes) {
        const QImage& image =
            cachedImage(QStringLiteral("icon %1").arg(pixels), [pixels] { return QImage(resource(iconFile(pixels))); });
        if (!image.isNull()) icon.addPixmap(QPixmap::fromImage(image));
    }
    return icon;
}

QPixmap trayImage(int index) {
    static const char* const stems[] = {"tray-0", "tray-1"};
    return picture(stems[std::clamp(index, 0, 1)], screenRatio());
}

QPixmap digitImage(int index) {
    static const char* const stems[] = {"digit-1", "digit-2", "digit-3", "digit-4", "digit-5"};
    return picture(stems[std::clamp(index, 0, 4)], screenRatio());
}

QPixmap mousePicture() { return picture("mouse", screenRatio()); }

}  // namespace orvix::artwork
