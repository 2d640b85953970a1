#pragma once
// Captions as the widgets hold them, for the windows and key rows that caption catalogues reach.

#include <QString>

class QAction;
class QWidget;

namespace orvix {

// A caption held in a plain widget that shows none (a panel without text of its own).
QString widgetCaption(const QWidget* widget);
void setWidgetCaption(QWidget* widget, const QString& caption);

// A caption as a menu item, button or page tab shows it: '&' is a plain character, never an
// accelerator mark.
QString menuText(const QString& caption);
QString captionOf(const QAction* action);

}  // namespace orvix
