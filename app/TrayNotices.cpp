#include "app/TrayNotices.h"

#include <QGuiApplication>
#include <QWindow>

namespace orvix {

namespace {

constexpr int kRetryMs = 100;

}  // namespace

bool trayIconPlaced(bool trayHost) {
    if (!trayHost) return false;
    // Qt's X11 tray icon is a window of this name; the tray host maps it when it takes it in.
    for (QWindow* window : QGuiApplication::allWindows())
        if (window->objectName() == QLatin1String("QSystemTrayIconSysWindow")) return window->isExposed();
    return true;
}

TrayNotices::TrayNotices(QSystemTrayIcon* icon, std::function<bool()> trayHost, QObject* parent)
    : QObject(parent), icon_(icon), trayHost_(std::move(trayHost)) {
    retry_.setSingleShot(true);
    retry_.setInterval(kRetryMs);
    connect(&retry_, &QTimer::timeout, this, &TrayNotices::showPending);
}

void TrayNotices::show(const QString& title, const QString& text) {
    if (pending_.empty()) waitingFor_.start();
    pending_.emplace_back(title, text);
    showPending();
}

void TrayNotices::showPending() {
    if (pending_.empty()) return;
    if (!trayIconPlaced(trayHost_()) && waitingFor_.elapsed() < kLongestWaitMs) {
        retry_.start();  // polls only while a notice waits
        return;
    }
    auto notices = std::move(pending_);
    pending_.clear();
    if (!icon_) return;
    for (const auto& [title, text] : notices) {
        icon_->showMessage(title, text, QSystemTrayIcon::Information);
        emit shown(title, text);
    }
}

}  // namespace orvix
