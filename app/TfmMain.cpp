#include "app/TfmMain.h"

#include <QAction>
#include <QCloseEvent>

#include "app/CommandLine.h"
#include "app/ErrorReport.h"
#include "hidMain/TfmHid.h"

namespace orvix {

TfmMain::TfmMain(EventLoop& loop, std::unique_ptr<HidPlatform> platform, std::vector<std::string> arguments,
                 QWidget* parent)
    : QWidget(parent), loop_(loop), platform_(std::move(platform)), arguments_(std::move(arguments)) {
    setObjectName("fmMain");
    setWindowTitle("Orvix mouse");
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(684, 427);

    mnOpen = new QAction("Open window", this);
    mnOpen->setObjectName("mnOpen");
    mnOpen->setEnabled(false);
    mnHide = new QAction("Hide window", this);
    mnHide->setObjectName("mnHide");
    connect(mnOpen, &QAction::triggered, this, &TfmMain::mnOpenClick);
    connect(mnHide, &QAction::triggered, this, &TfmMain::btCancelClick);

    // An error ends the creation step where it stands; the window still opens.
    guarded([this] { FormCreate(); });
}

TfmMain::~TfmMain() = default;

void TfmMain::FormCreate() {
    // The receiver connection; its first device scan waits for the event loop.
    fmHid = new TfmHid(std::move(platform_), loop_, this);
    fmHid->connection().setOnDevChange([this](bool devOn) { devChanged(devOn); });
    fmHid->connection().setOnDevDataIn([this](const TByteDynArray& d) { devDataIn(d); });
    devChanged(false);
    curLang = "EN";
    // The command line comes last.
    StartMode mode = readCommandLine(arguments_);
    dkMode = mode.quano;
    if (mode.hide) QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
}

void TfmMain::devChanged(bool) {}

void TfmMain::devDataIn(const TByteDynArray&) {}

void TfmMain::ApplicationEvents1Message(const PostedMessage& Msg, bool& Handled) {
    if (Msg.msg != wakeMsg_ || Msg.wParam != kWakeSignature) return;
    if (Msg.lParam == kWakeOpen) mnOpenClick();  // directly: it acts even on an open window
    Handled = true;
}

void TfmMain::triggerItem(QAction* item) {
    if (item->isEnabled()) item->trigger();
}

void TfmMain::mnOpenClick() {
    show();
    raise();
    activateWindow();
    mnHide->setEnabled(true);
    mnOpen->setEnabled(false);
}

void TfmMain::btCancelClick() {
    if (isMinimized()) {
        showNormal();  // a minimised start comes up restored instead of hidden
        return;
    }
    hide();
    mnHide->setEnabled(false);
    mnOpen->setEnabled(true);
}

void TfmMain::mnExitClick() {
    setEnabled(false);  // a disabled main window means an exit is under way
    close();
}

void TfmMain::closeEvent(QCloseEvent* event) {
    if (isEnabled()) {
        event->ignore();
        triggerItem(mnHide);
        return;
    }
    event->accept();
    QCoreApplication::quit();
}

}  // namespace orvix
