#pragma once
// The program's pictures: window icon, tray images, the five digit badges and the mouse.
// They are renders of the SVG masters (app/ArtworkRenders.h) at 1x and 2x, held in the "/artwork"
// resources as bare pixels, uncompressed, so a picture is used where it lies in the program without
// decoding; a screen of another device pixel ratio gets the 2x render scaled to its own pixels
// (once per run), so pictures stay sharp on HiDPI screens. The sizes below are logical pixels.

#include <QIcon>
#include <QPixmap>
#include <string>

namespace orvix::artwork {

// 16, 20, 24, 32, 40, 48 and 64 pixels; on a screen of a larger device pixel ratio also the 2x
// renders up to 64 logical pixels at that ratio. A window system is handed every size the icon has
// (X copies them all into a window property), so a screen that never shows the large ones is spared
// them; large views (task switchers, menus) take the installed theme icon.
QIcon windowIcon(qreal ratio);
QIcon windowIcon();  // for the primary screen
QPixmap trayImage(int index);   // 0 linked, 1 greyed; 32 x 32
QPixmap digitImage(int index);  // 0..4 show the digits 1..5, 30 x 30
QPixmap mousePicture();         // 272 x 351, transparent around the mouse

// One picture of app/ArtworkRenders.h by its stem, for a screen of the given device pixel ratio
// (the functions above take the primary screen's). A picture that cannot be loaded is a
// transparent one of the right size, so layouts stay put.
QPixmap picture(const char* stem, qreal ratio);

// A render's bare pixels from the resources by file name (Render::pixels), as an image borrowing
// them; a null image when the resource is missing or not `pixels` in size.
QImage shippedPixels(const std::string& file, QSize pixels);

}  // namespace orvix::artwork
