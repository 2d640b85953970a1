#pragma once

class QWidget;
class QString;

namespace orvix {

// Saves a picture of the screen (or, where no screen can be grabbed, of the window) to path,
// once the window has had time to paint. Used by scripts/run and the desktop tests.
void saveScreenshotWhenShown(QWidget* window, const QString& path);

}  // namespace orvix
