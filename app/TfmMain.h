#pragma once
// The main window: the five key rows, the mouse picture and the bottom bar, with the tray icon.
// It lives for the whole run; closing it only hides it, and only "Exit" ends the program. Its
// files follow its concerns: TfmMain.cpp (construction and layout), TfmMainTray.cpp (tray and life
// cycle), TfmMainLinkStatus.cpp (link status and apply sequence), TfmMainLanguage.cpp (languages).

#include <QSystemTrayIcon>
#include <QWidget>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/AppSettings.h"
#include "app/ApplicationTitle.h"
#include "app/HotSpotButton.h"
#include "app/instance/SingleInstance.h"
#include "app/tray/TrayHost.h"
#include "core/ByteArray.h"
#include "core/EventLoop.h"
#include "hid/HidPlatform.h"
#include "keys/LinkStatus.h"
#include "lang/CaptionComponents.h"

class QAction;
class QActionGroup;
class QButtonGroup;
class QGroupBox;
class QLabel;
class QMenu;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QTabWidget;
class QTextBrowser;
class QToolButton;

namespace orvix {

class DeferredMemoText;
class WhenShown;
class TfmHid;
class TfmKeyDef;
class TrayNotices;

// What the start-up hands the main window.
struct TfmMainStartup {
    std::vector<std::string> arguments;     // the process's arguments after the program name
    QString programFolder;                  // where the language folders are
    std::unique_ptr<AppSettings> settings;  // none: nothing is read or stored
    std::unique_ptr<TrayHost> trayHosts;    // none: the platform's
};

class TfmMain : public QWidget {
    Q_OBJECT
public:
    TfmMain(EventLoop& loop, std::unique_ptr<HidPlatform> platform, TfmMainStartup startup, QWidget* parent = nullptr);
    ~TfmMain() override;

    // Controls, as laid out.
    QProgressBar* perShow;
    QPlainTextEdit* smsg;
    QWidget* sPanel1;
    QPushButton* btReset;
    QPushButton* btCancel;
    QPushButton* btEnter;
    QPushButton* btApply;
    QTabWidget* pcFunc;
    QWidget* pgStartStat;
    QTextBrowser* reStart;
    QWidget* pgButtonSet;
    TfmKeyDef* fmKeyDef0;
    TfmKeyDef* fmKeyDef1;
    TfmKeyDef* fmKeyDef2;
    TfmKeyDef* fmKeyDef3;
    TfmKeyDef* fmKeyDef4;
    QWidget* pgLedIndicator;
    QTextBrowser* reLED;
    QGroupBox* dpiSel;
    QButtonGroup* dpiItems;
    QWidget* pnPic;
    QLabel* sImage1;
    HotSpotButton* btKey1;
    HotSpotButton* btKey2;
    HotSpotButton* btKey3;
    HotSpotButton* btKey4;
    HotSpotButton* btKey5;
    QLabel* tpPower;
    QLabel* tpUSBchg;
    QLabel* tpLEDindicator;

    // The tray icon and its menu. The icon is made once a notification area exists (none: not yet).
    QSystemTrayIcon* mTray = nullptr;
    QMenu* pmTray;
    QAction* mnOpen;
    QAction* mnHide;
    QAction* mnLanguage;
    QMenu* mnLanguageMenu;
    QActionGroup* languageGroup;
    QAction* mnLang_En;
    QAction* mnLang_CHN;
    QAction* J1;
    QAction* mnAutoRun;
    QAction* mnExit;

    TfmHid* fmHid = nullptr;

    // The application-wide message hook: the wake request opens the window.
    void ApplicationEvents1Message(const PostedMessage& Msg, bool& Handled);
    void setWakeMessage(uint32_t msg) { wakeMsg_ = msg; }

    // What caption catalogues reach on the window, in declaration order.
    CaptionComponents captionComponents();
    // The Language menu's entries as they stand (the fixed first one and those the scan added).
    QList<QAction*> languageEntries() const;

    bool notificationMode() const { return dkMode; }
    const std::string& currentLanguage() const { return curLang; }
    const std::vector<TfmKeyDef*>& keys() const { return keySet; }
    bool applying() const { return link_.sequence().running(); }
    int applyStep() const { return link_.sequence().row(); }

    // Whether the window system says when the window is minimised and restores it on request. A
    // Wayland compositor does neither: a window minimised there comes back only when shown anew.
    void setMinimiseReportedCheck(std::function<bool()> check) { minimiseReported_ = std::move(check); }

    // A menu item's click, by the user or by code, runs its handler only while it is enabled.
    static void triggerItem(QAction* item);

    // The hidden gestures on "CANCEL": the pressed button, the buttons held then, the modifiers.
    void btCancelMouseDown(Qt::MouseButton button, Qt::MouseButtons held, Qt::KeyboardModifiers modifiers);
    // A press on the tray icon.
    void mTrayMouseDown(Qt::MouseButton button, Qt::MouseButtons held, Qt::KeyboardModifiers modifiers);

signals:
    // A balloon notice was shown (notification mode).
    void noticeShown(const QString& title, const QString& text);

public slots:
    // Tray and life cycle (TfmMainTray.cpp).
    void mnOpenClick();    // the open operation
    void btCancelClick();  // the hide operation
    void mnExitClick();
    void ApplicationEvents1Minimize();
    void mnAutoRunClick();

    // Link status and apply sequence (TfmMainLinkStatus.cpp).
    void btResetClick();
    void btApplyClick();
    void btEnterClick();
    // The click of all five hot-spots, btKey1 to btKey5: the image index (0 to 4) is the row.
    void btKey1Click(int imageIndex);

    // Languages and the caption export (TfmMainLanguage.cpp).
    // The click of every Language entry, the fixed "English" and those the scan adds: the
    // sender's Hint is the language code.
    void mnLang_EnClick(QAction* Sender);
    void showExportView();
    void smsgDblClick();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Construction and layout (TfmMain.cpp).
    void buildLayout();
    void FormCreate();
    void dockControls();
    const QPixmap& mousePicture();

    // Tray and life cycle (TfmMainTray.cpp).
    void buildTray();
    void makeTrayIcon();
    bool trayHost() const;  // whether a notification area exists; without one, hiding would strand the user
    void setTrayCaption(const QString& text);  // the icon's tip and title, kept for an icon made later
    static constexpr int kMinimiseTries = 150, kMinimiseRetryMs = 20;
    void minimiseOnceShown(int tries);
    // Notes every minimise, also one asked of the window directly (its title bar's button), which
    // the widget may never hear of.
    void watchMinimise();

    // Link status and apply sequence (TfmMainLinkStatus.cpp): the receiver connection's two
    // callbacks, and what the window shows of link_.
    void devChanged(bool devOn);
    void devDataIn(const TByteDynArray& d);
    void setLinkState(bool linked);
    void showNotice(const QString& text);
    // One step of the apply sequence: the gauge's values, then the key write the step names.
    void sendNextKey(const ApplyStep& step);

    // Languages (TfmMainLanguage.cpp); lang/LanguageFolders finds and reads the folders.
    void scanLanguages();
    void loadLanguage(const std::string& code);
    // A help page's file into its view; "Failed to Load Stream" when it is neither RTF nor text.
    void loadRtf(QTextBrowser* view, const std::vector<uint8_t>& bytes);
    // The load's steps after the catalogue is read: captions, memo, rows, check mark, tooltip.
    void applyLanguage(CaptionCatalogue& catalogue);
    DeferredMemoText& memoText();  // what the memo shows once it is shown

    EventLoop& loop_;
    std::unique_ptr<HidPlatform> platform_;  // handed to fmHid by the creation step
    std::vector<std::string> arguments_;
    QString programFolder_;
    std::unique_ptr<AppSettings> settings_;
    QAction* checkedLanguage_ = nullptr;  // the check mark the last load set
    DeferredMemoText* memoText_ = nullptr;
    WhenShown* startPage_ = nullptr;  // the help pages' layout, once their tabs are opened
    WhenShown* ledPage_ = nullptr;
    uint32_t wakeMsg_ = 0;
    std::unique_ptr<TrayHost> trayHosts_;
    QString trayToolTip_ = kApplicationTitle;
    std::function<bool()> minimiseReported_;
    bool minimisedUnseen_ = false;  // minimised since last opened, whether or not the window system says so
    bool minimiseWatched_ = false;
    std::string wakeToken_;         // the activation token for the wake that follows
    TrayNotices* notices_ = nullptr;
    QPixmap mousePicture_;  // see mousePicture()
    bool exportShown_ = false;
    bool placed_ = false;

    bool dkMode = false;
    std::vector<TfmKeyDef*> keySet;
    std::string curLang = "EN";
    LinkStatus link_;  // the link state and the apply sequence (uSetting, uSetStep)
};

}  // namespace orvix
