// The main window's side of the conversation with the receiver: the link state from status
// reports, the acknowledged apply sequence, "RESET" and the hot-spots.

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

constexpr uint32_t statusQuery = 0x1F;
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
    uSetting = false;  // the gauge keeps its last value
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
    if (d.size() != 7) return;
    switch (d[0]) {
    case 0x80:
    case 0x8A:
        setLinkState(true);
        break;
    case 0x81:
        setLinkState(false);
        break;
    case 0x89:
        setLinkState(true);
        if (uSetting) {
            // An acknowledgement naming another key writes the current row again.
            if (uSetKeys[static_cast<size_t>(uSetStep)].keyIndex == d[2]) ++uSetStep;
            sendNextKey();
        }
        break;
    default:
        break;
    }
}

void TfmMain::btApplyClick() {
    for (size_t i = 0; i < uSetKeys.size(); ++i) uSetKeys[i] = {keySet[i]->deviceKeyIndex(), keySet[i]->getKeyCode()};
    uSetStep = 0;
    perShow->setValue(0);
    perShow->show();
    uSetting = true;
    sendNextKey();
}

void TfmMain::sendNextKey() {
    // Rows without a valid code are passed over; there is no timer: the next step waits for the
    // receiver's acknowledgement.
    for (;;) {
        if (uSetStep < 0 || uSetStep > 4) {
            perShow->hide();
            uSetting = false;
            return;
        }
        perShow->setValue(uSetStep * 20 + 10);
        const KeyWrite& key = uSetKeys[static_cast<size_t>(uSetStep)];
        if (key.code < 0) {
            ++uSetStep;
            continue;
        }
        uint32_t argument = static_cast<uint32_t>(key.keyIndex) + static_cast<uint32_t>(key.code) * 256u;
        fmHid->connection().uSendA4(argument);  // a failed write waits like a lost acknowledgement
        return;
    }
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
