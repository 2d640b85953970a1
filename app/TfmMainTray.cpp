// The main window's tray and life cycle: the tray icon and its menu, hiding and opening, the wake
// request of a second start, the close rule, "Exit", and the hidden gestures on "CANCEL".

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QMenu>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QWindow>

#include "app/ApplicationTitle.h"
#include "app/Artwork.h"
#include "app/ErrorReport.h"
#include "app/TfmMain.h"
#include "app/TrayNotices.h"
#include "app/tray/TrayHost.h"
#include "hidMain/TfmHid.h"

namespace orvix {

namespace {

QAction* item(QMenu* menu, const char* name, const char* caption) {
    QAction* a = menu->addAction(caption);
    a->setObjectName(name);
    return a;
}

}  // namespace

void TfmMain::buildTray() {
    pmTray = new QMenu(this);
    pmTray->setObjectName("pmTray");
    mnOpen = item(pmTray, "mnOpen", "Open window");
    mnOpen->setEnabled(false);
    mnHide = item(pmTray, "mnHide", "Hide window");
    pmTray->addSeparator()->setObjectName("N4");
    mnLanguageMenu = pmTray->addMenu("Language");
    mnLanguageMenu->setObjectName("mnLanguageMenu");
    mnLanguage = mnLanguageMenu->menuAction();
    mnLanguage->setObjectName("mnLanguage");
    languageGroup = new QActionGroup(this);
    languageGroup->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
    mnLang_En = item(mnLanguageMenu, "mnLang_En", "English");
    mnLang_CHN = item(mnLanguageMenu, "mnLang_CHN", "\u7B80\u4F53\u4E2D\u6587");
    J1 = item(mnLanguageMenu, "J1", "Japanese");
    const char* hints[] = {"EN", "CHN", "JPN"};
    int i = 0;
    for (QAction* a : {mnLang_En, mnLang_CHN, J1}) {
        a->setCheckable(true);
        a->setData(QString(hints[i++]));  // the language code
        languageGroup->addAction(a);
        connect(a, &QAction::triggered, this, [this, a] { guarded([&] { mnLang_EnClick(a); }); });
    }
    pmTray->addSeparator()->setObjectName("N3");
    mnAutoRun = item(pmTray, "mnAutoRun", "Auto Run");
    mnAutoRun->setCheckable(true);
    pmTray->addSeparator()->setObjectName("N6");
    mnExit = item(pmTray, "mnExit", "Exit");

    connect(mnOpen, &QAction::triggered, this, [this] { guarded([&] { mnOpenClick(); }); });
    connect(mnHide, &QAction::triggered, this, [this] { guarded([&] { btCancelClick(); }); });
    connect(mnAutoRun, &QAction::triggered, this, [this] { guarded([&] { mnAutoRunClick(); }); });
    connect(mnExit, &QAction::triggered, this, [this] { guarded([&] { mnExitClick(); }); });

    notices_ = new TrayNotices(
        nullptr, [this] { return trayHost(); }, this);
    connect(notices_, &TrayNotices::shown, this, &TfmMain::noticeShown);

    minimiseReported_ = [] { return !QGuiApplication::platformName().startsWith("wayland"); };
    if (!trayHosts_) trayHosts_ = makeTrayHost();
    // Qt settles how the icon reaches a host when it is made: it waits for a host, so one that
    // starts after the program (the panel at logon) is the one it uses.
    connect(trayHosts_.get(), &TrayHost::changed, this, [this] {
        if (!mTray && trayHosts_->present()) makeTrayIcon();
    });
    if (trayHosts_->present()) makeTrayIcon();
}

void TfmMain::makeTrayIcon() {
    trayHosts_->iconMade();
    mTray = new QSystemTrayIcon(artwork::trayImage(0), this);
    mTray->setObjectName("mTray");
    mTray->setToolTip(trayToolTip_);
    mTray->setContextMenu(pmTray);  // opens on the right button's release
    connect(mTray, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        // A double click arrives as one press and one double click: it toggles once.
        if (reason == QSystemTrayIcon::Trigger)
            mTrayMouseDown(Qt::LeftButton, QApplication::mouseButtons() | Qt::LeftButton,
                           QApplication::queryKeyboardModifiers());
    });
    mTray->show();  // from here to the end of the process
    notices_->setIcon(mTray);
}

void TfmMain::watchMinimise() {
    if (minimiseWatched_ || !windowHandle()) return;
    minimiseWatched_ = true;
    connect(windowHandle(), &QWindow::windowStateChanged, this, [this](Qt::WindowState state) {
        if (state == Qt::WindowMinimized) minimisedUnseen_ = true;
    });
}

void TfmMain::setTrayCaption(const QString& text) {
    trayToolTip_ = text;
    if (mTray) mTray->setToolTip(text);
    trayHosts_->setTitle(text);
}

bool TfmMain::trayHost() const { return trayHosts_->present(); }

void TfmMain::triggerItem(QAction* item) {
    if (item->isEnabled()) item->trigger();
}

void TfmMain::mnOpenClick() {
    // Where there is no notification area, hiding minimised the window: it comes back in its
    // normal state, raised and active.
    bool showAnew = minimisedUnseen_ && isVisible() && minimiseReported_ && !minimiseReported_();
    setWindowState(windowState() & ~Qt::WindowMinimized);
    if (showAnew) {
        // Minimised where the window system neither says so nor restores on request: the window
        // shown anew is a new one on screen, which every compositor shows.
        hide();
    }
    show();
    raise();
    activateWindow();
    minimisedUnseen_ = false;
    mnHide->setEnabled(true);
    mnOpen->setEnabled(false);
}

void TfmMain::ApplicationEvents1Message(const PostedMessage& Msg, bool& Handled) {
    if (Msg.msg != wakeMsg_ || Msg.wParam != kWakeSignature) return;
    if (Msg.lParam == kWakeToken) wakeToken_ = Msg.token;  // kept for the wake that follows it
    if (Msg.lParam == kWakeOpen) {
        // The second start's token lets the compositor bring the window to the front: Qt's Wayland
        // plugin hands the one in the environment over when the window asks to be activated.
        if (!wakeToken_.empty()) qputenv("XDG_ACTIVATION_TOKEN", QByteArray::fromStdString(wakeToken_));
        wakeToken_.clear();
        mnOpenClick();  // directly: it acts even on an open window
        qunsetenv("XDG_ACTIVATION_TOKEN");  // used once at most, never by a later activation
    }
    Handled = true;
}

void TfmMain::btCancelClick() {
    if (isMinimized()) {
        showNormal();  // a minimised window comes back instead of going
        return;
    }
    if (!trayHost()) {
        // No notification area to come back from: keep the window within reach on the taskbar.
        minimiseOnceShown(kMinimiseTries);
        return;
    }
    hide();
    mnHide->setEnabled(false);
    mnOpen->setEnabled(true);
}

void TfmMain::minimiseOnceShown(int tries) {
    // A window manager minimises only a window it already manages: one shown a moment ago (a
    // "-hide" start) waits until it is on screen, or a short while at most.
    if (tries > 0 && windowHandle() && !windowHandle()->isExposed()) {
        QTimer::singleShot(kMinimiseRetryMs, this, [this, tries] {
            if (!isMinimized()) minimiseOnceShown(tries - 1);
        });
        return;
    }
    showMinimized();
}

void TfmMain::mnAutoRunClick() {
    // The click has already flipped the check mark; it stays as the user left it.
    if (settings_) settings_->setAutoRun(mnAutoRun->isChecked());
}

void TfmMain::mnExitClick() {
    setEnabled(false);  // a disabled main window means an exit is under way
    close();
}

void TfmMain::closeEvent(QCloseEvent* event) {
    if (isEnabled() && trayHost()) {
        event->ignore();
        guarded([&] { triggerItem(mnHide); });
        return;
    }
    // "Exit"; or a close request where there is no notification area, which leaves no way to reach
    // "Exit": the program ends.
    setEnabled(false);
    event->accept();
    if (mTray) mTray->hide();
    QCoreApplication::quit();
}

void TfmMain::ApplicationEvents1Minimize() {
    if (!trayHost()) return;  // minimised is as far as the window can go without a tray
    setWindowState(windowState() & ~Qt::WindowMinimized);
    triggerItem(mnHide);
}

void TfmMain::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange && isMinimized() && isVisible())
        QMetaObject::invokeMethod(
            this,
            [this] {
                if (isMinimized()) guarded([&] { ApplicationEvents1Minimize(); });
            },
            Qt::QueuedConnection);
}

void TfmMain::mTrayMouseDown(Qt::MouseButton button, Qt::MouseButtons held, Qt::KeyboardModifiers modifiers) {
    if (button != Qt::LeftButton || held != Qt::LeftButton || modifiers != Qt::NoModifier) return;
    triggerItem(isVisible() ? mnHide : mnOpen);
}

void TfmMain::btCancelMouseDown(Qt::MouseButton, Qt::MouseButtons held, Qt::KeyboardModifiers modifiers) {
    // The whole state decides, and must match exactly.
    if (held == Qt::RightButton && modifiers == (Qt::ShiftModifier | Qt::AltModifier)) {
        fmHid->showConsole();
    } else if (held == Qt::MiddleButton && modifiers == (Qt::AltModifier | Qt::ControlModifier)) {
        showExportView();
    }
}

bool TfmMain::eventFilter(QObject* watched, QEvent* event) {
    if (watched == smsg->viewport() && event->type() == QEvent::MouseButtonDblClick) {
        guarded([&] { smsgDblClick(); });
        return true;
    }
    if (watched == btCancel && event->type() == QEvent::MouseButtonPress) {
        auto* e = static_cast<QMouseEvent*>(event);
        guarded([&] { btCancelMouseDown(e->button(), e->buttons(), e->modifiers()); });
        // Only a left click is the hide operation: the gestures never also click the button.
        return e->button() != Qt::LeftButton;
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace orvix
