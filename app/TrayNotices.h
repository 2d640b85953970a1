#pragma once
// Balloon notices of the tray icon. On X11 the tray host takes the icon in a moment after it is
// shown, and a tray host may start after the program (a logon start): a balloon shown before the
// icon has its place points at the screen's corner, or is lost. A notice therefore waits until the
// icon has its place, or at most a short while, and notices keep their order. Without an icon by
// then there is nothing to point at, and they are dropped.

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QSystemTrayIcon>
#include <QTimer>
#include <functional>
#include <utility>
#include <vector>

namespace orvix {

class TrayNotices : public QObject {
    Q_OBJECT
public:
    static constexpr int kLongestWaitMs = 3000;

    // icon: none until a notification area exists; trayHost: whether one exists now.
    TrayNotices(QSystemTrayIcon* icon, std::function<bool()> trayHost, QObject* parent = nullptr);
    void setIcon(QSystemTrayIcon* icon) { icon_ = icon; }

    void show(const QString& title, const QString& text);
    bool waiting() const { return !pending_.empty(); }

signals:
    void shown(const QString& title, const QString& text);

private:
    void showPending();

    QSystemTrayIcon* icon_;
    std::function<bool()> trayHost_;
    std::vector<std::pair<QString, QString>> pending_;
    QTimer retry_;
    QElapsedTimer waitingFor_;
};

// Whether the tray icon has its place on screen: a notification area exists, and the icon that Qt
// draws in a window of its own for an X11 tray host has been taken in (elsewhere the platform
// places the icon itself).
bool trayIconPlaced(bool trayHost);

}  // namespace orvix
