#pragma once
// The main window: the five key rows, the mouse picture and the bottom bar. It lives for the whole
// run; closing it only hides it, and only "Exit" ends the program.

#include <QWidget>
#include <memory>
#include <string>
#include <vector>

#include "app/instance/SingleInstance.h"
#include "hid/EventLoop.h"
#include "hid/HidPlatform.h"
#include "hidMain/HexText.h"

class QAction;

namespace orvix {

class TfmHid;

class TfmMain : public QWidget {
    Q_OBJECT
public:
    // arguments: the process's arguments after the program name.
    TfmMain(EventLoop& loop, std::unique_ptr<HidPlatform> platform, std::vector<std::string> arguments,
            QWidget* parent = nullptr);
    ~TfmMain() override;

    TfmHid* fmHid = nullptr;
    QAction* mnOpen;
    QAction* mnHide;

    // The application-wide message hook: the wake request opens the window.
    void ApplicationEvents1Message(const PostedMessage& Msg, bool& Handled);
    void setWakeMessage(uint32_t msg) { wakeMsg_ = msg; }

    bool notificationMode() const { return dkMode; }
    const std::string& currentLanguage() const { return curLang; }

    // A menu item's click, by the user or by code, runs its handler only while it is enabled.
    static void triggerItem(QAction* item);

public slots:
    void mnOpenClick();   // the open operation
    void btCancelClick(); // the hide operation
    void mnExitClick();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void FormCreate();
    void devChanged(bool devOn);
    void devDataIn(const TByteDynArray& d);

    EventLoop& loop_;
    std::unique_ptr<HidPlatform> platform_;  // handed to fmHid by the creation step
    std::vector<std::string> arguments_;
    uint32_t wakeMsg_ = 0;

    bool dkMode = false;
    std::string curLang = "EN";
    bool uSetting = false;
    int uSetStep = 0;
};

}  // namespace orvix
