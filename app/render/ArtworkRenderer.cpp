#include "app/render/ArtworkRenderer.h"

#include <QPainter>
#include <QSvgRenderer>

namespace orvix::artwork {

QImage renderMaster(const QString& svgFile, QSize pixels) {
    QSvgRenderer renderer(svgFile);
    if (!renderer.isValid()) return {};
    QImage image(pixels, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    // 96 dots per inch, whatever screen the renderer runs on: the same master gives the same file.
    image.setDotsPerMeterX(3780);
    image.setDotsPerMeterY(3780);
    {
        QPainter painter(&image);
        painter.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);
        renderer.render(&painter, QRectF(QPointF(0, 0), QSizeF(pixels)));
    }
    return image.convertToFormat(QImage::Format_ARGB32);
}

QImage pixelsOfPng(const QString& pngFile) {
    const QImage png(pngFile, "PNG");
    return png.isNull() ? QImage() : png.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

}  // namespace orvix::artwork
