#pragma once
// The program's pictures: window icon, tray images, the five digit badges and the mouse.
// They are drawn from the SVG files in the "/artwork" resources, at the primary screen's device
// pixel ratio, so they stay sharp on HiDPI screens; the sizes below are logical pixels.

#include <QIcon>
#include <QPixmap>

namespace orvix::artwork {

QIcon windowIcon();             // 16, 20, 24, 32, 40, 48 and 64
QPixmap trayImage(int index);   // 0 linked, 1 greyed; 32 x 32
QPixmap digitImage(int index);  // 0..4 show the digits 1..5, 30 x 30
QPixmap mousePicture();         // 272 x 351, transparent around the mouse

}  // namespace orvix::artwork
