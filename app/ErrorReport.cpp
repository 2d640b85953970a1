#include "app/ErrorReport.h"

#include <QApplication>
#include <QMessageBox>

namespace orvix {

void reportError(const QString& text) {
    QMessageBox box(QMessageBox::Critical, QApplication::applicationDisplayName(), text, QMessageBox::Ok);
    box.setObjectName("errorReport");
    box.exec();
}

void guarded(const std::function<void()>& handler) {
    try {
        handler();
    } catch (const std::exception& e) {
        reportError(QString::fromUtf8(e.what()));
    }
}

}  // namespace orvix
