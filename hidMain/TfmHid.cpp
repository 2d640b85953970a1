#include "hidMain/TfmHid.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include "core/AsciiText.h"

namespace orvix {

namespace {

template <class W>
W* place(W* w, const char* name, int x, int y, int width, int height) {
    w->setObjectName(name);
    w->setGeometry(x, y, width, height);
    return w;
}

}  // namespace

TfmHid::TfmHid(std::unique_ptr<HidPlatform> platform, EventLoop& loop, QWidget* owner) : QWidget(owner, Qt::Window) {
    setObjectName("fmHid");
    setWindowTitle("fmHid");
    setFixedSize(359, 516);

    Memo1 = place(new QPlainTextEdit(this), "Memo1", 8, 16, 353, 425);
    Memo1->setReadOnly(true);
    Edit1 = place(new QLineEdit("1F", this), "Edit1", 8, 488, 121, 21);
    Button1 = place(new QPushButton("A4 Data", this), "Button1", 152, 488, 75, 25);
    Edit2 = place(new QLineEdit("03 06", this), "Edit2", 8, 456, 249, 21);
    Button2 = place(new QPushButton("Send", this), "Button2", 272, 456, 75, 25);
    edAccessHint = place(new QLineEdit(this), "edAccessHint", 8, 0, 353, 16);
    edAccessHint->setReadOnly(true);
    edAccessHint->setFrame(false);
    edAccessHint->setAccessibleName("Write access");
    edAccessHint->hide();
    Edit1->setAccessibleName("A4 argument");
    Edit2->setAccessibleName("Bytes to send");
    Memo1->setAccessibleName("HID log");
    setTabOrder(Memo1, Edit1);
    setTabOrder(Edit1, Button1);
    setTabOrder(Button1, Edit2);
    setTabOrder(Edit2, Button2);
    connect(Button1, &QPushButton::clicked, this, &TfmHid::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TfmHid::Button2Click);

    conn_ = std::make_unique<ReceiverConnection>(std::move(platform), loop, *this);
}

TfmHid::~TfmHid() { conn_.reset(); }  // gives the device back while the memo still exists

bool TfmHid::showing() const { return isVisible(); }

void TfmHid::appendLine(const std::string& s) { Memo1->appendPlainText(QString::fromStdString(s)); }

void TfmHid::setCaption(const std::string& s) { setWindowTitle(QString::fromStdString(s)); }

void TfmHid::setAccessHint(const std::string& s) {
    edAccessHint->setText(QString::fromStdString(s));
    edAccessHint->setToolTip(edAccessHint->text());
    edAccessHint->setCursorPosition(0);  // its beginning says what it is about
    edAccessHint->setVisible(!s.empty());
}

void TfmHid::showConsole() {
    if (!placed_) {
        placed_ = true;
        move(217, 136);
    }
    show();
    raise();
    activateWindow();
}

void TfmHid::Button1Click() {
    // Not a hexadecimal number within 32 bits (the empty text too): argument 0.
    conn_->uSendA4(hexToken(Edit1->text().toStdString()).value_or(0));
}

void TfmHid::Button2Click() {
    TByteDynArray bytes = hexToBytes(Edit2->text().toStdString());
    Edit2->setText(QString::fromStdString(bytesToHex(bytes)));  // shows what was understood
    conn_->uSendData(bytes);
}

}  // namespace orvix
