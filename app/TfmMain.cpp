#include "app/TfmMain.h"

namespace orvix {

TfmMain::TfmMain(QWidget* parent) : QWidget(parent) {
    setObjectName("fmMain");
    setWindowTitle("Orvix mouse");
    setFixedSize(684, 427);
}

}  // namespace orvix
