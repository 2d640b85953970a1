#include "tests/support/Screenshots.h"

#include <QDir>
#include <QPixmap>
#include <QWidget>

namespace orvix::test {

void screenshot(QWidget* widget, const QString& name) {
    QString dir = qEnvironmentVariable("ORVIX_SCREENSHOTS");
    if (dir.isEmpty()) return;
    QDir().mkpath(dir);
    widget->window()->grab().save(QDir(dir).filePath(name + ".png"), "PNG");
}

}  // namespace orvix::test
