#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QPainter>
#include <QTest>
#include <QToolButton>

#include "lang/CaptionText.h"
#include "msKey/TfmKeyDef.h"
#include "tests/support/Screenshots.h"

namespace orvix::test {
namespace {

class KeyRow : public ::testing::Test {
protected:
    // A row placed on a window as the main window places them.
    TfmKeyDef* make(int tag, bool enabled = true) {
        auto* row = new TfmKeyDef(&window, "fmKeyDef", tag);
        row->setGeometry(31, 51, 281, 28);
        row->setEnabled(enabled);
        return row;
    }
    void TearDown() override {
        QApplication::processEvents();
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* m = qobject_cast<QMenu*>(w)) m->hide();
    }
    // An entry's item in the pop-up (made with it).
    QAction* action(TfmKeyDef* row, const char* name) {
        row->popup();
        return row->entry(name)->action;
    }
    std::vector<std::string> checked(TfmKeyDef* row) {
        std::vector<std::string> names;
        for (auto& e : row->entries())
            if (e.action && e.action->isChecked()) names.push_back(e.Name);
        return names;
    }

    QWidget window;
};

struct DefaultCase {
    int tag;
    const char* name;
    int32_t code;
    int deviceKeyIndex;
};

class KeyRowDefaults : public KeyRow, public ::testing::WithParamInterface<DefaultCase> {};

TEST_P(KeyRowDefaults, ResetTakesTheEntryWithTheRowsTagAndTheDeviceKeyIndexFromTheMap) {
    TfmKeyDef* row = make(GetParam().tag);
    EXPECT_EQ(row->functionName(), "Key");
    EXPECT_EQ(row->functionCode(), 0);
    row->keyReset();
    EXPECT_EQ(row->functionName(), GetParam().name);
    EXPECT_EQ(row->functionCode(), GetParam().code);
    EXPECT_EQ(row->deviceKeyIndex(), GetParam().deviceKeyIndex);
    EXPECT_EQ(row->deviceKeyIndex(), TfmKeyDef::keyIndexMap[GetParam().tag - 1] - 1);
}

INSTANTIATE_TEST_SUITE_P(KeyRow, KeyRowDefaults,
                         ::testing::Values(DefaultCase{1, "CURSOR/SCROLL MODE", 0x4000, 2},
                                           DefaultCase{2, "DRAG/MOVE", 0x0008, 4},
                                           DefaultCase{3, "RIGHT BUTTON", 0x0001, 1},
                                           DefaultCase{4, "LEFT BUTTON", 0x0000, 0},
                                           DefaultCase{5, "BACK PAGER", 0x104B, 3}));

TEST_F(KeyRow, PageUpIsMarkedApartFromBackPagerThoughBothCarryOneCode) {
    TfmKeyDef* row = make(5);
    row->keyReset();
    int32_t backPager = row->getKeyCode();
    row->mnCur_SCRClick(action(row, "mnPPT_PGUP"));
    EXPECT_EQ(row->functionName(), "PAGE UP");
    row->btChgClick();
    EXPECT_EQ(checked(row), std::vector<std::string>{"mnPPT_PGUP"});
    EXPECT_EQ(row->getKeyCode(), backPager);
    EXPECT_EQ(row->getKeyCode(), 0x4B10);
    EXPECT_EQ(row->deviceKeyIndex(), 3) << "choosing keeps the device key index";
}

TEST_F(KeyRow, KeyCodeIsZeroForLeftButtonAndMinusOneWithoutAValidCode) {
    TfmKeyDef* row = make(4);
    row->keyReset();
    EXPECT_EQ(row->getKeyCode(), 0);
    row->entry("mnDBClick")->Hint = "0x8000";
    row->mnCur_SCRClick(action(row, "mnDBClick"));
    EXPECT_EQ(row->functionName(), "DOUBLE CLICK") << "the caption still shows";
    EXPECT_EQ(row->getKeyCode(), -1);
    row->mnCur_SCRClick(action(row, "mnDrag_Move"));
    EXPECT_EQ(row->getKeyCode(), 0x0800);
}

TEST_F(KeyRow, ReplacedTagZeroLeavesTheRowItsFunction) {
    TfmKeyDef* row = make(3);
    row->keyReset();
    row->mnCur_SCRClick(action(row, "MenuItem24"));
    row->entry("mnRight")->Tag = 0;
    row->keyReset();
    EXPECT_EQ(row->functionName(), "WEB REFRESH");
    EXPECT_EQ(row->functionCode(), 0x2227);
}

TEST_F(KeyRow, OfTwoEntriesWithTheSameTagTheEarlierIsTheDefault) {
    TfmKeyDef* row = make(3);
    row->entry("mnMul_Mute")->Tag = 3;   // after "RIGHT BUTTON"
    row->entry("mnDrag_Move")->Tag = 3;  // before it
    row->keyReset();
    EXPECT_EQ(row->functionName(), "DRAG/MOVE");
}

TEST_F(KeyRow, HeadingWithTheRowsTagIsTakenWithoutAValidCode) {
    TfmKeyDef* row = make(2);
    row->entry("mnDrag_Move")->Tag = 0;
    row->entry("mnsMulButton")->Tag = 2;
    row->keyReset();
    EXPECT_EQ(row->functionName(), "MULTIMEDIA BUTTON");
    EXPECT_EQ(row->getKeyCode(), -1);
}

TEST_F(KeyRow, DisabledRowHasNoDropDownAndOpensNothing) {
    TfmKeyDef* row = make(1, false);
    window.show();
    row->keyReset();
    EXPECT_FALSE(row->btChg->isVisible());
    row->btChgClick();
    QTest::mouseClick(row->pnKeyName, Qt::LeftButton);
    EXPECT_FALSE(row->popup()->isVisible());
    EXPECT_EQ(row->functionName(), "CURSOR/SCROLL MODE");
}

TEST_F(KeyRow, PopupOpensBelowTheNamePanelAndMarksNothingForAnUnknownName) {
    TfmKeyDef* row = make(2);
    window.show();
    QApplication::processEvents();
    row->btChgClick();  // before the first reset the panel says "Key"
    EXPECT_TRUE(row->popup()->isVisible());
    EXPECT_TRUE(checked(row).empty());
    EXPECT_EQ(row->popup()->pos(), row->pnKeyName->mapToGlobal(QPoint(0, row->pnKeyName->height())));
    EXPECT_FALSE(action(row, "mnCur_SCR")->isVisible()) << "the fixed row's function is never listed";
}

TEST_F(KeyRow, ClicksOnTheButtonOrThePanelOpenTheCatalogue) {
    TfmKeyDef* row = make(2);
    window.show();
    row->keyReset();
    QApplication::processEvents();
    ASSERT_TRUE(row->btChg->isVisible());
    QTest::mouseClick(row->btChg, Qt::LeftButton);
    EXPECT_TRUE(row->popup()->isVisible());
    row->popup()->hide();
    QTest::mouseClick(row->pnKeyName, Qt::LeftButton);
    EXPECT_TRUE(row->popup()->isVisible());
    EXPECT_EQ(checked(row), std::vector<std::string>{"mnDrag_Move"});
}

TEST_F(KeyRow, OnlyTheCurrentEntryCarriesAMarkAndNoOtherDrawsAnEmptyBox) {
    TfmKeyDef* row = make(2);
    row->keyReset();
    // A menu draws a check box for every checkable entry, ticked or not.
    auto withIndicator = [&] {
        std::vector<std::string> names;
        for (auto& e : row->entries())
            if (e.action && !e.subMenu && e.action->isCheckable()) names.push_back(e.Name);
        return names;
    };
    EXPECT_TRUE(withIndicator().empty()) << "before the pop-up first opens";
    for (const char* pick : {"mnDrag_Move", "mnMul_Mute", "mnPPT_Black"}) {
        row->mnCur_SCRClick(action(row, pick));
        row->puKeyPopup();
        EXPECT_EQ(withIndicator(), std::vector<std::string>{pick});
        EXPECT_EQ(checked(row), std::vector<std::string>{pick});
    }
    row->pnKeyName->setText("no such function");
    row->puKeyPopup();
    EXPECT_TRUE(withIndicator().empty());
}

// A caption catalogue's line for one entry of the row: hint, tag and caption.
void setEntry(TfmKeyDef* row, const char* name, const MenuEntryValue& value) {
    for (const CaptionComponent& c : row->captionComponents())
        if (c.name == name) return c.setEntry(value);
    FAIL() << name << " is not among the row's caption components";
}

TEST_F(KeyRow, CaptionWithAnAmpersandShowsItPlainly) {
    TfmKeyDef* row = make(2);
    setEntry(row, "mnMul_Play", {"20cd", 0, "PLAY & PAUSE"});
    EXPECT_EQ(action(row, "mnMul_Play")->text(), "PLAY && PAUSE") << "an accelerator mark would eat the &";
    row->mnCur_SCRClick(action(row, "mnMul_Play"));
    EXPECT_EQ(row->functionName(), "PLAY & PAUSE");
    row->puKeyPopup();
    EXPECT_TRUE(action(row, "mnMul_Play")->isChecked());
}

// The pop-up's items are made when it is first wanted: captions, hints and tags a language gave the
// row before then are what they show and do, and those given after reach the items made.
TEST_F(KeyRow, ThePopupIsMadeWhenFirstWantedWithTheCaptionsGivenBefore) {
    TfmKeyDef* row = make(2);
    for (const auto& e : row->entries()) EXPECT_EQ(e.action, nullptr) << e.Name << " before the pop-up";
    setEntry(row, "mnMul_Play", {"20cd", 2, "LECTURE"});
    setEntry(row, "mnDrag_Move", {"0008", 0, "GLISSER"});
    row->keyReset();
    EXPECT_EQ(row->functionName(), "LECTURE") << "the entry now carrying the row's Tag";
    row->mnCur_SCRClick(nullptr);  // no item: nothing is chosen
    EXPECT_EQ(row->functionName(), "LECTURE");
    row->btChgClick();
    EXPECT_EQ(action(row, "mnMul_Play")->text(), "LECTURE");
    EXPECT_EQ(action(row, "mnDrag_Move")->text(), "GLISSER");
    EXPECT_EQ(checked(row), std::vector<std::string>{"mnMul_Play"});
    EXPECT_TRUE(action(row, "N1")->isSeparator());
    EXPECT_EQ(action(row, "mnsMulButton")->menu(), row->entry("mnsMulButton")->subMenu);
    setEntry(row, "mnDrag_Move", {"0008", 0, "DÉPLACER"});
    EXPECT_EQ(action(row, "mnDrag_Move")->text(), "DÉPLACER");
    action(row, "mnDrag_Move")->trigger();
    EXPECT_EQ(row->functionName(), "DÉPLACER");
    EXPECT_EQ(row->getKeyCode(), 0x0800);
}

TEST_F(KeyRow, ScreenshotOfTheMultimediaSubMenu) {
    TfmKeyDef* row = make(5);
    window.resize(340, 130);
    window.show();
    row->keyReset();
    row->btChgClick();
    TfmKeyDef::MenuEntry* heading = row->entry("mnsMulButton");
    QMenu* sub = heading->subMenu;
    row->popup()->setActiveAction(heading->action);
    sub->popup(row->popup()->mapToGlobal(row->popup()->actionGeometry(heading->action).topRight()));
    QApplication::processEvents();
    EXPECT_TRUE(sub->isVisible());
    // Offscreen there is no screen to grab: compose the row, its pop-up and the sub-menu.
    QRect area = window.frameGeometry() | row->popup()->geometry() | sub->geometry();
    QPixmap picture(area.size());
    picture.fill(Qt::white);
    QPainter painter(&picture);
    painter.drawPixmap(window.geometry().topLeft() - area.topLeft(), window.grab());
    painter.drawPixmap(row->popup()->pos() - area.topLeft(), row->popup()->grab());
    painter.drawPixmap(sub->pos() - area.topLeft(), sub->grab());
    painter.end();
    QString dir = qEnvironmentVariable("ORVIX_SCREENSHOTS");
    if (!dir.isEmpty()) picture.save(dir + "/key-row-multimedia-menu.png");
}

}  // namespace
}  // namespace orvix::test
