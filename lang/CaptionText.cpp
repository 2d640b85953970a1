#include "lang/CaptionText.h"

#include <QAction>
#include <QVariant>
#include <QWidget>

namespace orvix {

QString menuText(const QString& caption) {
    QString text = caption;
    return text.replace("&", "&&");
}

QString captionOf(const QAction* action) {
    QString text = action->text();
    return text.replace("&&", "&");
}

QString widgetCaption(const QWidget* widget) { return widget->property("Caption").toString(); }

void setWidgetCaption(QWidget* widget, const QString& caption) { widget->setProperty("Caption", caption); }

}  // namespace orvix
