#pragma once
// The HID console: a separate top-level window owned by the main window. It shows the receiver
// connection's log and sends frames typed by hand. Closing it only hides it; the connection it
// carries keeps working.

#include <QWidget>
#include <memory>

#include "hidMain/ReceiverConnection.h"

class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace orvix {

class TfmHid : public QWidget, public ConsoleView {
    Q_OBJECT
public:
    TfmHid(std::unique_ptr<HidPlatform> platform, EventLoop& loop, QWidget* owner);
    ~TfmHid() override;

    ReceiverConnection& connection() { return *conn_; }

    // ConsoleView.
    bool showing() const override;
    void appendLine(const std::string& s) override;
    void setCaption(const std::string& s) override;
    void setAccessHint(const std::string& s) override;

    // Shows the window, the first time at its own place; later it only comes to the front.
    void showConsole();

    QPlainTextEdit* Memo1;
    QLineEdit* Edit2;
    QPushButton* Button2;
    QLineEdit* Edit1;
    QPushButton* Button1;
    // Above the log, only while a receiver is held that cannot be written: what to do about it,
    // in a field the user can copy it from.
    QLineEdit* edAccessHint;

public slots:
    void Button1Click();
    void Button2Click();

private:
    std::unique_ptr<ReceiverConnection> conn_;
    bool placed_ = false;
};

}  // namespace orvix
