// The yardstick of the start-up rows: about the least a Qt Widgets tray program does. A tray icon
// with a menu, and a window of twenty ordinary widgets; "-hide" starts with the window hidden.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QSpinBox>
#include <QSystemTrayIcon>
#include <QWidget>
#include <cstring>

int main(int argc, char** argv) {
    bool hide = argc > 1 && std::strcmp(argv[1], "-hide") == 0;
    int qtArgc = 1;
    QApplication app(qtArgc, argv);
    QApplication::setQuitOnLastWindowClosed(false);

    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    {
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setBrush(QColor(0x20, 0x60, 0xC0));
        painter.drawEllipse(4, 2, 24, 28);
    }
    QIcon icon(pixmap);

    QWidget window;
    window.setWindowTitle("Reference");
    window.setWindowIcon(icon);
    auto* grid = new QGridLayout(&window);
    for (int row = 0; row < 5; ++row) {  // 4 widgets a row, 20 in all
        grid->addWidget(new QLabel(QString("Button %1").arg(row + 1)), row, 0);
        auto* combo = new QComboBox;
        for (int i = 0; i < 31; ++i) combo->addItem(QString("Function %1").arg(i + 1));
        grid->addWidget(combo, row, 1);
        grid->addWidget(new QCheckBox("On"), row, 2);
        grid->addWidget(new QPushButton("Test"), row, 3);
    }
    window.resize(875, 427);

    QMenu menu;
    menu.addAction("Open", &window, &QWidget::show);
    menu.addAction("Hide", &window, &QWidget::hide);
    menu.addSeparator();
    menu.addAction("Exit", &app, &QApplication::quit);
    QSystemTrayIcon tray(icon);
    tray.setContextMenu(&menu);
    tray.setToolTip("Reference");
    tray.show();

    if (!hide) window.show();
    return app.exec();
}
