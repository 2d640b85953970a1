#include <gtest/gtest.h>

#include <QAction>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "app/ErrorReport.h"
#include "lang/CaptionText.h"
#include "msKey/TfmKeyDef.h"
#include "tests/app/MainWindowFixture.h"
#include "tests/support/Screenshots.h"

namespace orvix::test {
namespace {

using Lines = std::vector<std::string>;

Lines exported(TfmMain& w) {
    w.btCancelMouseDown(Qt::MiddleButton, Qt::MiddleButton, Qt::AltModifier | Qt::ControlModifier);
    Lines lines;
    for (const QString& l : w.smsg->toPlainText().split('\n', Qt::SkipEmptyParts)) lines.push_back(l.toStdString());
    return lines;
}

const Lines builtInMain{
    "main.fmCaption=Orvix mouse",
    "main.btReset.Caption=RESET",
    "main.btCancel.Caption=CANCEL",
    "main.btEnter.Caption=ENTER",
    "main.btApply.Caption=APPLY",
    "main.pgStartStat.Caption=START STAT",
    "main.pgButtonSet.Caption=BUTTON ASSIGN",
    "main.pgLedIndicator.Caption=LED INDICATOR",
    "main.dpiSel.Caption=Cursor DPI",
    "main.tpPower.Caption=POWER",
    "main.tpUSBchg.Caption=USB CHARGE PORT",
    "main.tpLEDindicator.Caption=LED INDICATOR",
    "main.mnOpen.Caption=[]Open window",
    "main.mnHide.Caption=[]Hide window",
    "main.mnLanguage.Caption=[]Language",
    "main.mnLang_En.Caption=[EN]English",
    "main.mnLang_CHN.Caption=[CHN]\xE7\xAE\x80\xE4\xBD\x93\xE4\xB8\xAD\xE6\x96\x87",
    "main.J1.Caption=[JPN]Japanese",
    "main.mnAutoRun.Caption=[]Auto Run",
    "main.mnExit.Caption=[]Exit",
};

TEST_F(MainWindowFixture, ExportRightAfterStartListsTheBuiltInCaptions) {
    start();
    Lines lines = exported(*fmMain);
    ASSERT_EQ(lines.size(), 50u);
    EXPECT_EQ(Lines(lines.begin(), lines.begin() + 20), builtInMain);
    EXPECT_EQ(lines[20], "keyDef.mnCur_SCR.Caption=[4000|1]CURSOR/SCROLL MODE");
    EXPECT_EQ(lines[25], "keyDef.mnDBClick.Caption=[8000]DOUBLE CLICK");
    EXPECT_EQ(lines[26], "keyDef.mmsWinButton.Caption=[]WINDOWS BUTTON");
    EXPECT_EQ(lines[49], "keyDef.mnPPT_Black.Caption=[1037]BLACK SCREEN");
    screenshot(fmMain.get(), "export-column");
}

TEST_F(MainWindowFixture, ApplyThenExportGivesTheCatalogueBack) {
    start();
    Lines catalogue{
        "langname=Test",
        "main.fmCaption=Souris Orvix  ",  // trailing blanks are trimmed by the export
        "main.btReset.Caption=R\xC3\x89INITIALISER",
        "main.pgButtonSet.Caption=BOUTONS",
        "main.mnExit.Caption=[]Quitter",
        "main.mnLang_En.Caption=[EN]Anglais",
        "keyDef.mnBackPage.Caption=[104b|5]PAGE PR\xC3\x89\x43\xC3\x89\x44\x45NTE",
        "keyDef.mnDBClick.Caption=[8000|-3]DOUBLE CLIC",  // a negative tag is exported without it
        "keyDef.mnMul_Mute.Caption=[20e2]   ",            // a blank caption
    };
    CaptionCatalogue cat(catalogue);
    applyCaptions("main", fmMain->captionComponents(), cat);
    for (TfmKeyDef* row : fmMain->keys()) applyCaptions("keyDef", row->captionComponents(), cat);
    EXPECT_EQ(fmMain->windowTitle(), "Souris Orvix  ");
    EXPECT_EQ(fmMain->pcFunc->tabText(1), "BOUTONS");
    Lines lines = exported(*fmMain);
    auto has = [&](const std::string& l) { return std::find(lines.begin(), lines.end(), l) != lines.end(); };
    EXPECT_TRUE(has("main.fmCaption=Souris Orvix"));
    for (size_t i = 2; i < 7; ++i) EXPECT_TRUE(has(catalogue[i])) << catalogue[i];
    EXPECT_TRUE(has("keyDef.mnDBClick.Caption=[8000]DOUBLE CLIC"));
    EXPECT_TRUE(has("keyDef.mnMul_Mute.Caption=[20e2]")) << "the entry's value is never blank";
    EXPECT_TRUE(has("main.btApply.Caption=APPLY")) << "keys the catalogue lacks keep their captions";
}

TEST_F(MainWindowFixture, LookupRulesReachTheWindow) {
    start();
    CaptionCatalogue cat(Lines{
        "MAIN.BTRESET.CAPTION=Restore",  // letter case does not count
        "main.btCancel.Caption =Never",  // a blank before "=" matches nothing
        "main.btEnter.Caption= Enter",   // a blank after "=" stays
        "main.btApply.Caption=First",
        "main.btApply.Caption=Second",     // the first of two wins
        "main.tpPower.Caption=",           // an empty value keeps the caption
        "main.mnHide.Caption=[]",          // a menu caption can be blanked
        "main.mnOpen.Caption=No bracket",  // no "]": left alone
    });
    applyCaptions("main", fmMain->captionComponents(), cat);
    EXPECT_EQ(fmMain->btReset->text(), "Restore");
    EXPECT_EQ(fmMain->btCancel->text(), "CANCEL");
    EXPECT_EQ(fmMain->btEnter->text(), " Enter");
    EXPECT_EQ(fmMain->btApply->text(), "First");
    EXPECT_EQ(fmMain->tpPower->text(), "POWER");
    EXPECT_EQ(fmMain->mnHide->text(), "");
    EXPECT_EQ(fmMain->mnOpen->text(), "Open window");
}

TEST_F(MainWindowFixture, ACatalogueChangingAFunctionReachesAllFiveRowsAlike) {
    start();
    CaptionCatalogue cat(
        Lines{"keyDef.mnDrag_Move.Caption=[8000|2]GLISSER", "keyDef.mnMul_Play.Caption=[20cd|3]LECTURE"});
    for (TfmKeyDef* row : fmMain->keys()) applyCaptions("keyDef", row->captionComponents(), cat);
    fmMain->btResetClick();
    for (TfmKeyDef* row : fmMain->keys()) {
        EXPECT_EQ(row->entry("mnDrag_Move")->Hint, "8000");
        EXPECT_EQ(row->entry("mnMul_Play")->Tag, 3);
        EXPECT_EQ(row->entry("mnMul_Play")->Caption, "LECTURE");
        row->popup();
        EXPECT_EQ(captionOf(row->entry("mnMul_Play")->action), "LECTURE");
    }
    EXPECT_EQ(fmMain->keys()[1]->functionName(), "GLISSER");
    EXPECT_EQ(fmMain->keys()[1]->getKeyCode(), 0x0080);
    EXPECT_EQ(fmMain->keys()[2]->functionName(), "RIGHT BUTTON") << "the earlier entry with Tag 3 stays the default";
}

TEST_F(MainWindowFixture, LockedNamePanelNeverTakesACatalogueCaption) {
    start();
    CaptionCatalogue cat(Lines{"keyDef.pnKeyName.Caption=HACKED", "keyDef.sPanel1.Caption=Row"});
    for (TfmKeyDef* row : fmMain->keys()) applyCaptions("keyDef", row->captionComponents(), cat);
    EXPECT_EQ(fmMain->keys()[1]->functionName(), "DRAG/MOVE");
    Lines lines = exported(*fmMain);
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "keyDef.sPanel1.Caption=Row"), 1);
    for (auto& l : lines) EXPECT_EQ(l.find("pnKeyName"), std::string::npos);
}

using ProgramFolder = ProgramFolderFixture;

TEST_F(ProgramFolder, DoubleClickShowsTheProgramFoldersOwnCatalogue) {
    write("Lang.txt", "\xEF\xBB\xBFlangname=X\r\nmain.btReset.Caption=R\r\n");
    start();
    fmMain->smsgDblClick();
    EXPECT_EQ(fmMain->smsg->toPlainText(), "langname=X\nmain.btReset.Caption=R");
    EXPECT_EQ(fmMain->btReset->text(), "RESET") << "nothing is applied";
}

TEST_F(ProgramFolder, DoubleClickWithoutACatalogueReportsTheFileAndTheReason) {
    start();
    fmMain->smsg->setPlainText("old");
    QString shown;
    QTimer::singleShot(0, [&] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible()) {
                shown = box->windowTitle() + "|" + box->text();
                box->accept();
            }
    });
    guarded([&] { fmMain->smsgDblClick(); });
    // The path as the platform writes it.
    const QString path = QDir::toNativeSeparators(dir.filePath("Lang.txt"));
    EXPECT_TRUE(shown.startsWith("Orvix mouse|Cannot open file \"" + path + "\". ")) << shown.toStdString();
    EXPECT_TRUE(fmMain->smsg->toPlainText().isEmpty());
}

}  // namespace
}  // namespace orvix::test
