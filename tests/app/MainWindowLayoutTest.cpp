#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QButtonGroup>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QPalette>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QStyle>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QTextBrowser>
#include <QToolButton>
#include <cstdlib>

#include "msKey/TfmKeyDef.h"
#include "tests/app/MainWindowFixture.h"
#include "tests/support/Screenshots.h"

namespace orvix::test {
namespace {

struct Control {
    const char* name;
    const char* parent;
    QRect geometry;
    const char* text;  // nullptr: not looked at
    bool shown;
    bool enabled;
};

// Positions are in the parent's coordinates, as laid out.
const Control layout[] = {
    {"perShow", "fmMain", {395, 344, 289, 30}, nullptr, false, true},
    {"smsg", "fmMain", {719, 0, 156, 375}, "smsg", false, true},
    {"sPanel1", "fmMain", {0, 375, 684, 52}, nullptr, true, true},
    {"btReset", "sPanel1", {12, 16, 141, 25}, "RESET", true, true},
    {"btCancel", "sPanel1", {360, 16, 83, 25}, "CANCEL", true, true},
    {"btEnter", "sPanel1", {464, 16, 83, 25}, "ENTER", true, false},
    {"btApply", "sPanel1", {568, 16, 83, 25}, "APPLY", true, false},
    {"pcFunc", "fmMain", {8, 8, 377, 361}, nullptr, true, true},
    {"fmKeyDef0", "pgButtonSet", {31, 51, 281, 28}, nullptr, true, false},
    {"fmKeyDef1", "pgButtonSet", {31, 91, 281, 28}, nullptr, true, true},
    {"fmKeyDef2", "pgButtonSet", {31, 131, 281, 28}, nullptr, true, true},
    {"fmKeyDef3", "pgButtonSet", {31, 171, 281, 28}, nullptr, true, true},
    {"fmKeyDef4", "pgButtonSet", {31, 211, 281, 28}, nullptr, true, true},
    {"dpiSel", "fmMain", {8, 320, 337, 49}, "Cursor DPI", false, true},
    {"pnPic", "fmMain", {387, 9, 297, 329}, nullptr, true, true},
    {"sImage1", "pnPic", {1, 1, 272, 351}, nullptr, false, true},
    {"btKey1", "pnPic", {0, 88, 33, 33}, nullptr, true, true},
    {"btKey2", "pnPic", {127, 9, 33, 33}, nullptr, true, true},
    {"btKey3", "pnPic", {240, 96, 33, 33}, nullptr, true, true},
    {"btKey4", "pnPic", {0, 127, 33, 33}, nullptr, true, true},
    {"btKey5", "pnPic", {247, 147, 33, 33}, nullptr, true, true},
    {"tpPower", "pnPic", {32, 17, 81, 33}, "POWER", true, true},
    {"tpUSBchg", "pnPic", {206, 2, 67, 65}, "USB CHARGE PORT", true, true},
    {"tpLEDindicator", "pnPic", {62, 286, 169, 33}, "LED INDICATOR", true, true},
};

QString textOf(QWidget* w) {
    if (auto* b = qobject_cast<QAbstractButton*>(w)) return b->text();
    if (auto* l = qobject_cast<QLabel*>(w)) return l->text();
    if (auto* g = qobject_cast<QGroupBox*>(w)) return g->title();
    if (auto* m = qobject_cast<QPlainTextEdit*>(w)) return m->toPlainText();
    return {};
}

class MainWindowLayout : public MainWindowFixture {};

TEST_F(MainWindowLayout, EveryControlSitsWhereTheLayoutPutsItWithItsTextAndState) {
    start();
    EXPECT_EQ(fmMain->windowTitle(), "Orvix mouse");
    EXPECT_EQ(fmMain->size(), QSize(684, 427)) << "cut at the picture panel's right edge";
    EXPECT_EQ(fmMain->minimumSize(), fmMain->maximumSize()) << "fixed size";
    EXPECT_FALSE(fmMain->windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(fmMain->windowFlags() & Qt::WindowMaximizeButtonHint);
    for (const Control& c : layout) {
        SCOPED_TRACE(c.name);
        auto* w = fmMain->findChild<QWidget*>(c.name);
        ASSERT_NE(w, nullptr);
        EXPECT_EQ(w->geometry(), c.geometry);
        QWidget* parent = w->parentWidget();
        EXPECT_EQ(parent->objectName(), c.parent);
        if (c.text) {
            EXPECT_EQ(textOf(w), c.text);
        }
        EXPECT_EQ(w->isVisibleTo(fmMain.get()), c.shown) << "shown";
        EXPECT_EQ(w->isEnabled(), c.enabled) << "enabled";
    }
    EXPECT_EQ(fmMain->pcFunc->count(), 3);
    EXPECT_EQ(fmMain->pcFunc->tabText(0), "START STAT");
    EXPECT_EQ(fmMain->pcFunc->tabText(1), "BUTTON ASSIGN");
    EXPECT_EQ(fmMain->pcFunc->tabText(2), "LED INDICATOR");
    EXPECT_EQ(fmMain->pcFunc->currentIndex(), 1);
    EXPECT_EQ(fmMain->dpiItems->checkedId(), 2);
    EXPECT_EQ(fmMain->dpiItems->checkedButton()->text(), "1500 DPI");
    for (int i = 0; i < 5; ++i) EXPECT_EQ(fmMain->keys()[i]->Tag(), i + 1);
    screenshot(fmMain.get(), "main-window");
}

TEST_F(MainWindowLayout, TabOrderRunsThroughTheBottomBarThenThePagesAndThePicture) {
    start();
    QList<QWidget*> order{fmMain->btReset, fmMain->btCancel, fmMain->btEnter, fmMain->btApply, fmMain->pcFunc};
    for (int i = 0; i + 1 < order.size(); ++i) {
        QWidget* next = order[i]->nextInFocusChain();
        EXPECT_EQ(next, order[i + 1]) << order[i]->objectName().toStdString();
    }
}

TEST_F(MainWindowLayout, KeyboardFocusStartsAtResetAndTabNeverStopsOnAHotSpot) {
    start();
    fmMain->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(fmMain.get()));
    EXPECT_EQ(QApplication::focusWidget(), fmMain->btReset);
    QList<QWidget*> visited;
    for (int i = 0; i < 60 && !visited.contains(QApplication::focusWidget()); ++i) {
        visited << QApplication::focusWidget();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    ASSERT_GT(visited.size(), 4);
    EXPECT_EQ(visited[1], fmMain->btCancel);
    for (QToolButton* spot : {fmMain->btKey1, fmMain->btKey2, fmMain->btKey3, fmMain->btKey4, fmMain->btKey5}) {
        EXPECT_FALSE(visited.contains(spot)) << spot->objectName().toStdString();
        QTest::mouseClick(spot, Qt::LeftButton);
        QApplication::processEvents();
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* menu = qobject_cast<QMenu*>(w)) menu->hide();
        EXPECT_NE(QApplication::focusWidget(), spot) << "a click leaves the focus where it was";
    }
}

TEST_F(MainWindowLayout, HelpPagesShowTheFiveDefaultParagraphsReadOnly) {
    start();
    for (QTextBrowser* view : {fmMain->reStart, fmMain->reLED}) {
        EXPECT_TRUE(view->isReadOnly());
        QStringList paragraphs = helpPage(view).split('\n', Qt::SkipEmptyParts);
        ASSERT_EQ(paragraphs.size(), 5);
        EXPECT_EQ(paragraphs[1], "Insert the nano receiver inte a USB port directly into your computer.");
        EXPECT_EQ(paragraphs[4], "After the software installation,Orvix Series icon will appear in the taskbar.");
    }
}

TEST_F(MainWindowLayout, TrayMenuHoldsItsItemsInOrder) {
    start();
    QStringList items;
    for (QAction* a : fmMain->pmTray->actions()) items << (a->isSeparator() ? "-" : a->text());
    EXPECT_EQ(items, (QStringList{"Open window", "Hide window", "-", "Language", "-", "Auto Run", "-", "Exit"}));
    // Without language folders only the fixed entry stays; the built-in others are taken out of
    // the menu but still belong to the window.
    QStringList languages;
    for (QAction* a : fmMain->mnLanguageMenu->actions()) languages << a->data().toString();
    EXPECT_EQ(languages, QStringList{"EN"});
    EXPECT_EQ(fmMain->mnLang_CHN->data().toString(), "CHN");
    EXPECT_EQ(fmMain->J1->data().toString(), "JPN");
    EXPECT_TRUE(fmMain->mnAutoRun->isCheckable());
    EXPECT_FALSE(fmMain->mnAutoRun->isChecked());
    EXPECT_FALSE(fmMain->mnOpen->isEnabled());
    EXPECT_EQ(fmMain->mTray->toolTip(), "Orvix mouse");
}

// The fixed row's hot-spot is a grey disc; the others are flat. No widget of the window is put on
// Qt's style-sheet style for it.
TEST_F(MainWindowLayout, TheFixedRowsHotSpotLooksDifferent) {
    start();
    fmMain->show();
    QApplication::processEvents();
    // On the rim, left middle (within what smoothing the edge takes).
    auto onRim = [](QWidget* spot) {
        const QColor c = spot->grab().toImage().pixelColor(1, 16);
        return std::abs(c.red() - 0x9A) < 16 && std::abs(c.green() - 0xA3) < 16 && std::abs(c.blue() - 0xAD) < 16;
    };
    EXPECT_TRUE(fmMain->btKey1->fixedRow());
    EXPECT_TRUE(onRim(fmMain->btKey1));
    for (HotSpotButton* b : {fmMain->btKey2, fmMain->btKey3, fmMain->btKey4, fmMain->btKey5}) {
        EXPECT_FALSE(b->fixedRow());
        EXPECT_FALSE(onRim(b)) << b->objectName().toStdString();
        EXPECT_FALSE(b->accessibleName().isEmpty());
    }
    for (QWidget* w : fmMain->findChildren<QWidget*>()) {
        EXPECT_TRUE(w->styleSheet().isEmpty()) << w->objectName().toStdString();
        EXPECT_STRNE(w->style()->metaObject()->className(), "QStyleSheetStyle") << w->objectName().toStdString();
    }
}

// The text views keep their own colours under any desktop scheme; the page tabs their least width.
TEST_F(MainWindowLayout, TextViewsAndTabsKeepTheirLook) {
    const QPalette desktop = QApplication::palette();
    QPalette dark = desktop;
    dark.setColor(QPalette::Text, Qt::white);
    dark.setColor(QPalette::Base, Qt::black);
    QApplication::setPalette(dark);
    start();
    struct ViewCase {
        QAbstractScrollArea* view;
        QColor text, base;
    } cases[] = {
        {fmMain->reStart, QColor(0x44, 0x44, 0x44), QColor(0xFD, 0xFD, 0xFD)},
        {fmMain->reLED, QColor(0x44, 0x44, 0x44), QColor(0xFD, 0xFD, 0xFD)},
        {fmMain->smsg, QColor(0x44, 0x44, 0x44), QColor(Qt::white)},
    };
    for (const ViewCase& c : cases) {
        SCOPED_TRACE(c.view->objectName().toStdString());
        EXPECT_EQ(c.view->palette().color(QPalette::Text), c.text);
        EXPECT_EQ(c.view->palette().color(QPalette::Base), c.base);
    }
    QApplication::setPalette(desktop);
    const QTabBar* tabs = fmMain->pcFunc->tabBar();
    for (int i = 0; i < tabs->count(); ++i) EXPECT_GE(tabs->tabRect(i).width(), 92) << i;
}

TEST_F(MainWindowLayout, RowsShowTheirDefaultsAfterStart) {
    start();
    QStringList names;
    for (TfmKeyDef* row : fmMain->keys()) names << row->functionName();
    EXPECT_EQ(names, (QStringList{"CURSOR/SCROLL MODE", "DRAG/MOVE", "RIGHT BUTTON", "LEFT BUTTON", "BACK PAGER"}));
}

}  // namespace
}  // namespace orvix::test
