#pragma once
// Draws an SVG master of the artwork at a size in device pixels, as scripts/render-artwork makes
// the renders the program ships. A build tool's code: the program itself never links QtSvg.

#include <QImage>
#include <QString>

namespace orvix::artwork {

// The master drawn to fill `pixels`, straight (not premultiplied) ARGB as a PNG holds it; a null
// image when the master cannot be read.
QImage renderMaster(const QString& svgFile, QSize pixels);

// A PNG render as the program embeds it: premultiplied ARGB32, rows of width x 4 bytes; a null
// image when the PNG cannot be read.
QImage pixelsOfPng(const QString& pngFile);

}  // namespace orvix::artwork
