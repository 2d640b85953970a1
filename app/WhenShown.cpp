#include "app/WhenShown.h"

#include <QEvent>
#include <QWidget>

namespace orvix {

WhenShown::WhenShown(QWidget* widget) : QObject(widget), widget_(widget) { widget->installEventFilter(this); }

void WhenShown::set(std::function<void()> work) {
    pending_ = std::move(work);
    if (widget_->isVisible()) flush();
}

void WhenShown::flush() {
    if (!pending_) return;
    auto work = std::move(pending_);
    pending_ = nullptr;
    work();
}

bool WhenShown::eventFilter(QObject* watched, QEvent* event) {
    if (watched == widget_ && event->type() == QEvent::Show) flush();
    return false;
}

}  // namespace orvix
