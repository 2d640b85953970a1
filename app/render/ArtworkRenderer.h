#pragma once
// Draws an SVG master of the artwork at a size in device pixels, as scripts/render-artwork makes
// the PNGs the program ships. A build tool's code: the program itself never links QtSvg.

#include <QImage>
#include <QString>

namespace orvix::artwork {

// The master drawn to fill `pixels`, straight (not premultiplied) ARGB as a PNG holds it; a null
// image when the master cannot be read.
QImage renderMaster(const QString& svgFile, QSize pixels);

}  // namespace orvix::artwork
