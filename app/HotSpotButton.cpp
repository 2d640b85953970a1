#include "app/HotSpotButton.h"

#include <QPainter>

namespace orvix {

void HotSpotButton::setFixedRow(bool fixed) {
    fixedRow_ = fixed;
    update();
}

void HotSpotButton::paintEvent(QPaintEvent* event) {
    if (!fixedRow_) return QToolButton::paintEvent(event);
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    // A 2-pixel rim, its middle one pixel in from the edge.
    painter.setPen(QPen(QColor(0x9A, 0xA3, 0xAD), 2));
    painter.setBrush(QColor(0xE6, 0xE9, 0xED));
    const QRectF disc = QRectF(rect()).adjusted(1, 1, -1, -1);
    painter.drawRoundedRect(disc, 16, 16);
    icon().paint(&painter, rect(), Qt::AlignCenter, isEnabled() ? QIcon::Normal : QIcon::Disabled);
}

}  // namespace orvix
