#pragma once
// A hot-spot on the mouse picture: a flat button showing a digit badge. The fixed row's hot-spot
// is drawn as a grey disc instead, so it reads as one that opens nothing. Painted here rather than
// through a style sheet: one style sheet puts the widget on Qt's style-sheet style, which costs
// the start a parse and a polish of its own.

#include <QToolButton>

namespace orvix {

class HotSpotButton : public QToolButton {
    Q_OBJECT
public:
    using QToolButton::QToolButton;

    void setFixedRow(bool fixed);
    bool fixedRow() const { return fixedRow_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    bool fixedRow_ = false;
};

}  // namespace orvix
