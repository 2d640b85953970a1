#include "app/Artwork.h"

#include <QGuiApplication>
#include <QImage>
#include <QMap>
#include <QResource>
#include <QScreen>
#include <QString>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <functional>

#include "app/ArtworkRenders.h"

// The resources live in a static library; naming them here keeps the linker from dropping them.
static void initArtworkResources() {
    static const bool done = [] {
        Q_INIT_RESOURCE(artwork);
        Q_INIT_RESOURCE(artwork2x);
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

// Made once per run. Images, not pixmaps: they outlive the application object safely.
const QImage& cachedImage(const QString& key, const std::function<QImage()>& make) {
    static QMap<QString, QImage> cache;
    auto it = cache.find(key);
    if (it == cache.end()) it = cache.insert(key, make());
    return *it;
}

const Picture* findPicture(const char* stem) {
    for (const Picture& p : kPictures)
        if (std::strcmp(p.stem, stem) == 0) return &p;
    return nullptr;
}

}  // namespace

QImage shippedPixels(const std::string& file, QSize pixels) {
    static_assert(std::endian::native == std::endian::little, "the renders hold little-endian pixels");
    initArtworkResources();
    const QResource resource(QStringLiteral(":/artwork/") + QString::fromStdString(file));
    const qint64 bytes = qint64(pixels.width()) * pixels.height() * 4;
    if (!resource.isValid() || pixels.isEmpty() || resource.uncompressedSize() != bytes) return {};
    if (resource.compressionAlgorithm() == QResource::NoCompression)
        return QImage(resource.data(), pixels.width(), pixels.height(), pixels.width() * 4,
                      QImage::Format_ARGB32_Premultiplied);
    // Only a resource compiler that ignored "uncompressed" in the .qrc files gets here.
    const QByteArray data = resource.uncompressedData();
    return QImage(reinterpret_cast<const uchar*>(data.constData()), pixels.width(), pixels.height(),
                  pixels.width() * 4, QImage::Format_ARGB32_Premultiplied)
        .copy();
}

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
        const QSize shipped(p->width * render, p->height * render);
        QImage loaded = shippedPixels(pixelsFile(pictureFile(stem, render)), shipped);
        if (loaded.isNull()) {
            QImage blank(pixels, QImage::Format_ARGB32_Premultiplied);
            blank.fill(Qt::transparent);
            return blank;
        }
        if (shipped != pixels) loaded = loaded.scaled(pixels, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        return loaded;
    });
    QPixmap pixmap = QPixmap::fromImage(image);
    pixmap.setDevicePixelRatio(ratio);
    return pixmap;
}

QIcon windowIcon(qreal ratio) {
    initArtworkResources();
    // Every size a render of its own, so none is scaled from another on either kind of screen.
    QIcon icon;
    for (int pixels : kIconSizes) {
        if (pixels > kIconLargest * std::max<qreal>(1.0, ratio)) continue;
        const QImage& image = cachedImage(QStringLiteral("icon %1").arg(pixels), [pixels] {
            return shippedPixels(pixelsFile(iconFile(pixels)), QSize(pixels, pixels));
        });
        if (!image.isNull()) icon.addPixmap(QPixmap::fromImage(image));
    }
    return icon;
}

QIcon windowIcon() { return windowIcon(screenRatio()); }

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
