#include "app/DeferredMemoText.h"

#include <QEvent>
#include <QPlainTextEdit>

namespace orvix {

DeferredMemoText::DeferredMemoText(QPlainTextEdit* memo) : QObject(memo), memo_(memo) {
    memo->installEventFilter(this);
}

void DeferredMemoText::set(std::string text) {
    if (memo_->isVisible()) {
        pending_.reset();
        memo_->setPlainText(QString::fromStdString(text));
    } else {
        pending_ = std::move(text);
        memo_->clear();
    }
}

bool DeferredMemoText::eventFilter(QObject* watched, QEvent* event) {
    if (watched == memo_ && event->type() == QEvent::Show && pending_) {
        std::string text = std::move(*pending_);
        pending_.reset();
        memo_->setPlainText(QString::fromStdString(text));
    }
    return false;
}

}  // namespace orvix
