// The main window's side of the conversation with the receiver: the link state and the apply
// sequence (keys/LinkStatus) shown on the buttons, the gauge and the notices, "RESET" and the
// hot-spots.

#include <QAbstractButton>
#include <QButtonGroup>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>

#include "app/TfmMain.h"
#include "app/TrayNotices.h"
#include "hidMain/TfmHid.h"
#include "msKey/TfmKeyDef.h"

namespace orvix {

namespace {

constexpr int buttonAssignPage = 1;

}  // namespace

void TfmMain::devChanged(bool devOn) {
    showNotice(devOn ? "RX push in." : "RX pull out!");
    if (devOn) {
        fmHid->connection().uSendA4(statusQuery);  // the link state waits for the answer
        return;
    }
    btEnter->setEnabled(false);
    btApply->setEnabled(false);
    link_.removed();  // the gauge keeps its last value
}

void TfmMain::setLinkState(bool linked) {
    btApply->setEnabled(linked);
    if (btEnter->isEnabled() != linked) showNotice(QString());
    btEnter->setEnabled(linked);
}

void TfmMain::showNotice(const QString& text) {
    if (!dkMode) return;
    QString notice = text.isEmpty() ? (btApply->isEnabled() ? "Mouse is link!" : "Mouse is leave!") : text;
    notices_->show("Mouse", notice);  // once the tray icon has its place
}

void TfmMain::devDataIn(const TByteDynArray& d) {
    std::optional<ReportEffect> effect = link_.onReport(d);
    if (!effect) return;
    setLinkState(effect->linked);
    sendNextKey(effect->step);
}

void TfmMain::btApplyClick() {
    KeyWrites writes;
    for (size_t i = 0; i < writes.size(); ++i) writes[i] = {keySet[i]->deviceKeyIndex(), keySet[i]->getKeyCode()};
    sendNextKey(link_.startApply(writes));
}

void TfmMain::sendNextKey(const ApplyStep& step) {
    // The write first: the gauge repaints at once, and the receiver need not wait for that.
    // A failed write waits like a lost acknowledgement.
    if (step.send) fmHid->connection().uSendA4(*step.send);
    for (int value : step.progress) {
        perShow->setValue(value);
        perShow->show();
    }
    if (step.finished) perShow->hide();
}

void TfmMain::btEnterClick() {
    btApplyClick();
    btCancelClick();
}

void TfmMain::btResetClick() {
    for (TfmKeyDef* row : keySet) row->keyReset();
    dpiItems->button(2)->setChecked(true);
    pcFunc->setCurrentIndex(buttonAssignPage);
}

void TfmMain::btKey1Click(int imageIndex) {
    pcFunc->setCurrentIndex(buttonAssignPage);
    keySet.at(static_cast<size_t>(imageIndex))->btChgClick();
}

}  // namespace orvix
