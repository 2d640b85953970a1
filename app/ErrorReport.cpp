#include "app/ErrorReport.h"

#include <QMessageBox>

#include "app/ApplicationTitle.h"

namespace orvix {

void reportError(const QString& text) {
    QMessageBox box(QMessageBox::Critical, kApplicationTitle, text, QMessageBox::Ok);
    box.setObjectName("errorReport");
    box.setTextFormat(Qt::PlainText);  // the text may carry file and folder names
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
