#pragma once
// With ORVIX_SCREENSHOTS=DIR set, GUI tests save pictures of the states they check into DIR.

#include <QString>

class QWidget;

namespace orvix::test {

// Saves a picture of the widget's window as DIR/name.png; nothing without ORVIX_SCREENSHOTS.
void screenshot(QWidget* widget, const QString& name);

}  // namespace orvix::test
