#pragma once
// The main window.

#include <QWidget>

namespace orvix {

class TfmMain : public QWidget {
    Q_OBJECT
public:
    explicit TfmMain(QWidget* parent = nullptr);
};

}  // namespace orvix
