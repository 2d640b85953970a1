#pragma once
// Work a hidden widget needs only once it is seen: a help page laid out when its tab is first
// opened costs the start nothing.

#include <QObject>
#include <functional>

class QWidget;

namespace orvix {

class WhenShown : public QObject {
public:
    explicit WhenShown(QWidget* widget);

    // Runs `work` at once while the widget is shown, else when it is next shown. Work still
    // waiting is replaced: only the latest is wanted.
    void set(std::function<void()> work);
    // Runs the waiting work now, shown or not (for what must read the finished widget).
    void flush();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* widget_;
    std::function<void()> pending_;
};

}  // namespace orvix
