#pragma once
// The program's pictures: window icon, tray images, the five digit badges and the mouse.
// They are PNG renders of the SVG masters (app/ArtworkRenders.h), held in the "/artwork"
// resources, at 1x and 2x; a screen of another device pixel ratio gets the 2x render scaled to
// its own pixels, so pictures stay sharp on HiDPI screens. Each picture is decoded once per run.
// The sizes below are logical pixels.

#include <QIcon>
#include <QPixmap>

namespace orvix::artwork {

QIcon windowIcon();             // 16, 20, 24, 32, 40, 48 and 64, and their 2x counterparts
QPixmap trayImage(int index);   // 0 linked, 1 greyed; 32 x 32
QPixmap digitImage(int index);  // 0..4 show the digits 1..5, 30 x 30
QPixmap mousePicture();         // 272 x 351, transparent around the mouse

// One picture of app/ArtworkRenders.h by its stem, for a screen of the given device pixel ratio
// (the functions above take the primary screen's). A picture that cannot be loaded is a
// transparent one of the right size, so layouts stay put.
QPixmap picture(const char* stem, qreal ratio);

}  // namespace orvix::artwork
