#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <functional>

#include <QAction>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFontDatabase>
#include <QGlyphRun>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRawFont>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QTextLayout>
#include <QTimer>

#include "keys/FunctionCatalogue.h"
#include "msKey/TfmKeyDef.h"
#include "tests/app/MainWindowFixture.h"
#include "tests/support/Screenshots.h"

namespace orvix::test {
namespace {

// Text with a byte-order mark reads the same on every platform; without one it is UTF-8 on Linux
// and in the ANSI code page on Windows.
QByteArray marked(const char* utf8) { return QByteArray("\xEF\xBB\xBF") + utf8; }

// Settings kept in memory, so a test sees what the window stores.
class MemorySettings final : public AppSettings {
public:
    explicit MemorySettings(std::string lang = "") : lang_(std::move(lang)) {}
    void readConfig(std::string& lang, uint16_t&, uint16_t&, std::string&) override {
        if (!lang_.empty()) lang = lang_;
    }
    bool autoRunPresent() override { return false; }
    void writeLanguage(const std::string& code) override {
        writes.push_back(code);
        if (failWrites) throw SettingsError("Failed to set data for 'Lang'");
    }
    void setAutoRun(bool) override {}
    std::vector<std::string> writes;
    bool failWrites = false;

private:
    std::string lang_;
};

class Languages : public ProgramFolderFixture {
protected:
    void startIn(const std::string& lang = "") {
        auto s = std::make_unique<MemorySettings>(lang);
        stored = s.get();
        settings = std::move(s);
        start();
    }
    QStringList menu() const {
        QStringList entries;
        for (QAction* a : fmMain->languageEntries()) entries << a->data().toString() + "=" + a->text();
        return entries;
    }
    QString checkedEntry() const {
        for (QAction* a : fmMain->languageEntries())
            if (a->isChecked()) return a->data().toString();
        return {};
    }
    QAction* entry(const QString& code) const {
        for (QAction* a : fmMain->languageEntries())
            if (a->data().toString() == code) return a;
        return nullptr;
    }
    // Triggers the entry and answers the error box it may show; returns the box's text.
    QString triggerAnsweringErrors(QAction* a) {
        QString shown;
        QTimer::singleShot(0, [&] {
            for (QWidget* w : QApplication::topLevelWidgets())
                if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible()) {
                    shown = box->text();
                    box->accept();
                }
        });
        a->trigger();
        return shown;
    }
    MemorySettings* stored = nullptr;
};

// Which folders offer a language, and their display names, are tested over lang/LanguageFolders;
// these tests check that the menu shows what the scan finds.
TEST_F(Languages, HiddenFoldersLinksFilesAndFoldersWithoutACatalogueAreNotListed) {
    write(".hidden/lang.txt", "langname=Hidden\n");
    write("NOCAT/readme.txt", "langname=None\n");
    write("UPPER/LANG.TXT", "langname=Upper\n");  // found without regard to case
    write("lang.txt", "langname=NotAFolder\n");
    QDir().mkpath(dir.filePath("REAL"));
    write("REAL/lang.txt", "langname=Real\n");
    std::error_code linked;
    std::filesystem::create_directory_symlink(dir.filePath("REAL").toStdString(), dir.filePath("LINK").toStdString(),
                                              linked);
#ifndef _WIN32
    ASSERT_FALSE(linked) << linked.message();  // wine makes no links: there the other entries still count
#endif
    startIn();
    QStringList entries = menu();
    entries.sort();
    EXPECT_EQ(entries, (QStringList{"EN=English", "REAL=Real", "UPPER=Upper"}));
}

TEST_F(Languages, LoadAppliesTheCatalogueTheHelpPagesAndChecksTheEntry) {
    write("FR/Lang.txt",
          marked("langname=Fran\xC3\xA7\x61is\nmain.fmCaption=Souris\n"
                 "main.btReset.Caption=D\xC3\x89\x46\x41UT\nkeyDef.mnDrag_Move.Caption=[08|2]GLISSER\n"));
    write("FR/Start.rtf", "{\\rtf1\\ansi Bonjour\\par}");
    startIn("FR");
    EXPECT_EQ(fmMain->windowTitle(), "Souris");
    EXPECT_EQ(fmMain->btReset->text(), "D\u00C9FAUT");
    EXPECT_EQ(fmMain->keys()[1]->functionName(), "GLISSER") << "rows reset under their new names";
    EXPECT_EQ(helpPage(fmMain->reStart).trimmed(), "Bonjour");
    EXPECT_EQ(helpPage(fmMain->reLED).split('\n', Qt::SkipEmptyParts).size(), 5) << "no LED.rtf: kept";
    EXPECT_EQ(checkedEntry(), "FR");
    EXPECT_EQ(fmMain->mTray->toolTip(), "Souris");
    fmMain->smsg->show();  // the memo takes the catalogue's lines once it is shown
    EXPECT_TRUE(
        fmMain->smsg->toPlainText().startsWith("langname=Fran\u00E7"
                                               "ais\nmain.fmCaption=Souris\n"));
}

TEST_F(Languages, AnIconMadeWhenATrayHostAppearsLaterTakesTheCaptionLoadedBefore) {
    write("FR/Lang.txt", marked("langname=Fran\xC3\xA7\x61is\nmain.fmCaption=Souris\n"));
    trayHost = false;
    startIn("FR");
    trayHost = true;
    trayHosts->announce();
    ASSERT_NE(fmMain->mTray, nullptr);
    EXPECT_EQ(fmMain->mTray->toolTip(), "Souris");
}

// The help pages are laid out when their tabs are opened; what the user sees is the same.
TEST_F(Languages, HelpTabsOpenedLaterShowTheLanguageLoadedWhileTheyWereHidden) {
    write("FR/Lang.txt", "langname=Fran\xC3\xA7\x61is\n");
    write("FR/Start.rtf", "{\\rtf1\\ansi Bonjour\\par}");
    write("FR/LED.rtf", "{\\rtf1\\ansi Voyant\\par}");
    write("DE/Lang.txt", "langname=Deutsch\n");
    write("DE/Start.rtf", "{\\rtf1\\ansi Hallo\\par}");
    startIn("FR");
    EXPECT_EQ(fmMain->pcFunc->currentWidget(), fmMain->pgButtonSet) << "the help tabs start hidden";
    EXPECT_EQ(helpPage(fmMain->reStart).trimmed(), "Bonjour");
    fmMain->pcFunc->setCurrentWidget(fmMain->pgButtonSet);
    settle();

    // Switched while both help tabs are hidden: each shows the new language once opened, the
    // LED page (which DE lacks) the one it had.
    QAction* de = entry("DE");
    ASSERT_NE(de, nullptr);
    de->trigger();
    EXPECT_EQ(helpPage(fmMain->reStart).trimmed(), "Hallo");
    EXPECT_EQ(helpPage(fmMain->reLED).trimmed(), "Voyant");

    // Switched while a help tab is open: it shows the new page at once.
    QAction* fr = entry("FR");
    ASSERT_NE(fr, nullptr);
    fr->trigger();
    settle();
    EXPECT_EQ(fmMain->reLED->toPlainText().trimmed(), "Voyant");
    EXPECT_EQ(helpPage(fmMain->reStart).trimmed(), "Bonjour");
}

TEST_F(Languages, APageThatCannotBeReadFailsTheLoadAtOnceThoughItsTabIsHidden) {
    write("FR/Lang.txt", "langname=Fran\xC3\xA7\x61is\nmain.fmCaption=Souris\n");
    write("FR/Start.rtf", QByteArray("\x00\x01\xFF\xFE binary", 12));
    startIn();
    QAction* fr = entry("FR");
    ASSERT_NE(fr, nullptr);
    EXPECT_EQ(triggerAnsweringErrors(fr), "Failed to Load Stream");
    EXPECT_EQ(helpPage(fmMain->reStart).split('\n', Qt::SkipEmptyParts).size(), 5) << "the page it had";
}

// The rows' pop-ups are built when first opened; they list the whole catalogue as the language
// named it, also for a language switched to before they were first opened.
TEST_F(Languages, PopupsOpenedAfterTheStartListTheCatalogueInTheCurrentLanguage) {
    write("FR/Lang.txt", "langname=Fran\xC3\xA7\x61is\nkeyDef.mnMul_Mute.Caption=[20e2|0]SILENCE\n");
    write("DE/Lang.txt", "langname=Deutsch\nkeyDef.mnMul_Mute.Caption=[20e2|0]STUMM\n");
    startIn("FR");
    QAction* de = entry("DE");
    ASSERT_NE(de, nullptr);
    de->trigger();
    // Every entry in catalogue order, a heading followed by what it holds.
    std::function<void(QMenu*, QStringList&, QStringList&)> walk = [&](QMenu* menu, QStringList& names,
                                                                         QStringList& texts) {
        for (QAction* a : menu->actions()) {
            names << a->objectName();
            texts << a->text();
            if (QMenu* sub = a->menu()) walk(sub, names, texts);
        }
    };
    QStringList catalogue;
    for (const CatalogueEntry& c : functionCatalogue()) catalogue << c.Name;
    ASSERT_EQ(catalogue.size(), 31);
    for (TfmKeyDef* row : fmMain->keys()) {
        SCOPED_TRACE(row->objectName().toStdString());
        if (row->isEnabled()) {
            row->btChgClick();
            settle();
            ASSERT_TRUE(row->popup()->isVisible());
        }
        QStringList names, texts;
        walk(row->popup(), names, texts);
        EXPECT_EQ(names, catalogue);
        EXPECT_TRUE(texts.contains("STUMM"));
        EXPECT_FALSE(texts.contains("SILENCE"));
        row->popup()->hide();
    }
}

TEST_F(Languages, AHiddenMemoIsFilledOnlyWhenShownAndAnExportReplacesWhatWaited) {
    write("FR/Lang.txt", "langname=Fran\xC3\xA7\x61is\nmain.btReset.Caption=FR-RESET\n");
    startIn("FR");
    EXPECT_EQ(fmMain->smsg->toPlainText(), "");
    fmMain->showExportView();
    EXPECT_TRUE(fmMain->smsg->toPlainText().startsWith("main.fmCaption=Orvix mouse\n")) << "the export, not the lines";
    // Once shown, a switch fills it at once.
    write("DE/Lang.txt", "langname=Deutsch\nmain.btReset.Caption=DE-RESET\n");
    fmMain.reset();
    startIn("FR");
    fmMain->showExportView();
    fmMain->smsg->clear();
    QAction* de = entry("DE");
    ASSERT_NE(de, nullptr);
    de->trigger();
    EXPECT_EQ(fmMain->smsg->toPlainText(), "langname=Deutsch\nmain.btReset.Caption=DE-RESET");
}

TEST_F(Languages, FoldersAreListedInNameOrderWithoutRegardToCase) {
    for (const char* folder : {"zh", "DE", "Fr", "chn", "_x", "B2"})
        write(QString(folder) + "/lang.txt", QByteArray("langname=") + folder + "\n");
    startIn();
    EXPECT_EQ(menu(), (QStringList{"EN=English", "_x=_x", "B2=B2", "chn=chn", "DE=DE", "Fr=Fr", "zh=zh"}));
}

TEST_F(Languages, AFailedWriteLeavesTheLanguageAsItWasSoItCanBeChosenAgain) {
    write("FR/Lang.txt", "langname=Fran\xC3\xA7\x61is\nmain.btReset.Caption=FR-RESET\n");
    write("DE/Lang.txt", "langname=Deutsch\nmain.btReset.Caption=DE-RESET\n");
    startIn("FR");
    stored->failWrites = true;
    QAction* de = entry("DE");
    ASSERT_NE(de, nullptr);
    EXPECT_EQ(triggerAnsweringErrors(de), "Failed to set data for 'Lang'");
    EXPECT_EQ(fmMain->currentLanguage(), "FR");
    EXPECT_EQ(fmMain->btReset->text(), "FR-RESET") << "not loaded";
    EXPECT_EQ(checkedEntry(), "FR");
    stored->failWrites = false;
    de->trigger();  // the same entry again: this time it switches
    EXPECT_EQ(stored->writes, (std::vector<std::string>{"DE", "DE"}));
    EXPECT_EQ(fmMain->currentLanguage(), "DE");
    EXPECT_EQ(fmMain->btReset->text(), "DE-RESET");
}

// A stored code is a folder's name, never a path: what lies outside the program folder, or the
// program folder itself, is not loaded.
TEST_F(Languages, AStoredCodeThatIsAPathNamesNoFolder) {
    QDir(dir.path()).mkpath("prog");
    write("outside/Lang.txt", "langname=Outside\nmain.fmCaption=Outside\n");
    write("outside/Start.rtf", "outside page");
    write("prog/Lang.txt", "langname=Program\nmain.fmCaption=Program folder\n");
    write("prog/Start.rtf", "program folder page");
    programFolder = dir.filePath("prog");
    for (std::string code : {dir.filePath("outside").toStdString(), std::string("../outside"), std::string(".."),
                             std::string("."), std::string("./"), std::string("..\\outside")}) {
        SCOPED_TRACE(code);
        startIn(code);
        EXPECT_EQ(fmMain->windowTitle(), "Orvix mouse");
        EXPECT_NE(helpPage(fmMain->reStart), "outside page");
        EXPECT_NE(helpPage(fmMain->reStart), "program folder page");
        fmMain.reset();
    }
}

TEST_F(Languages, APlainTextPageThatIsNotUtf8ReadsAsWindows1252) {
    write("FR/Lang.txt", "langname=Fran\xC3\xA7\x61is\n");
    write("FR/Start.rtf", "Caf\xE9 \x80 5\r\nLigne deux");
    write("FR/LED.rtf", "Caf\xC3\xA9 en UTF-8");
    startIn("FR");
    EXPECT_EQ(helpPage(fmMain->reStart), "Caf\u00E9 \u20AC 5\nLigne deux");
    EXPECT_EQ(helpPage(fmMain->reLED), "Caf\u00E9 en UTF-8");
}

TEST_F(Languages, HelpPagesFarLargerThanACatalogueLoad) {
    // A page with a photo: far beyond the catalogues' 16 MB, and only its text is kept.
    write("FR/Lang.txt", "langname=Fran\xC3\xA7\x61is\n");
    write("FR/Start.rtf", "{\\rtf1 Bonjour{\\pict\\pngblip " + QByteArray(20 << 20, 'a') + "} et bienvenue}");
    startIn("FR");
    EXPECT_EQ(helpPage(fmMain->reStart), "Bonjour et bienvenue");
}

TEST_F(Languages, APageOfManyRunsLoadsWithoutHanging) {
    write("FR/Lang.txt", "langname=Fran\xC3\xA7\x61is\n");
    write("FR/Start.rtf", "{\\rtf1\\ansi " + QByteArray("{\\b x}y").repeated(10000) + "}");
    QElapsedTimer timer;
    timer.start();
    startIn("FR");
    fmMain->pcFunc->setCurrentWidget(fmMain->pgStartStat);  // laid out in view
    settle(10);
    EXPECT_LT(timer.elapsed(), 60000) << "a bound against a hang, not a speed figure";
    EXPECT_EQ(helpPage(fmMain->reStart).remove(QChar(0x200B)).remove('\n'), QString("xy").repeated(10000));
}

TEST_F(Languages, AFolderWithoutACatalogueReplacesOnlyTheHelpPages) {
    write("XX/Start.rtf", "plain start page");
    startIn("XX");
    EXPECT_EQ(helpPage(fmMain->reStart), "plain start page");
    EXPECT_EQ(fmMain->windowTitle(), "Orvix mouse");
    EXPECT_EQ(checkedEntry(), "");
}

TEST_F(Languages, SwitchingStoresFirstKeepsTheFirstLanguagesTextsAndResetsTheRows) {
    write("FR/Lang.txt", "langname=Fran\xC3\xA7\x61is\nmain.btReset.Caption=FR-RESET\nmain.btApply.Caption=FR-APPLY\n");
    write("DE/Lang.txt", "langname=Deutsch\nmain.btReset.Caption=DE-RESET\n");
    startIn("FR");
    fmMain->keys()[2]->popup();
    fmMain->keys()[2]->mnCur_SCRClick(fmMain->keys()[2]->entry("mnMul_Mute")->action);
    QAction* de = nullptr;
    for (QAction* a : fmMain->languageEntries())
        if (a->data().toString() == "DE") de = a;
    ASSERT_NE(de, nullptr);
    de->trigger();
    EXPECT_EQ(stored->writes, std::vector<std::string>{"DE"});
    EXPECT_EQ(fmMain->currentLanguage(), "DE");
    EXPECT_EQ(fmMain->btReset->text(), "DE-RESET");
    EXPECT_EQ(fmMain->btApply->text(), "FR-APPLY") << "a key the second lacks keeps the first's text";
    EXPECT_EQ(fmMain->keys()[2]->functionName(), "RIGHT BUTTON") << "unapplied picks are lost";
    EXPECT_EQ(checkedEntry(), "DE");
    de->trigger();
    EXPECT_EQ(stored->writes.size(), 1u) << "the current language: nothing";
}

TEST_F(Languages, ChoosingEnglishWithoutAnEnFolderLeavesThePreviousLanguageOnScreen) {
    write("FR/Lang.txt", "langname=Fran\xC3\xA7\x61is\nmain.btReset.Caption=FR-RESET\n");
    startIn("FR");
    fmMain->mnLang_En->trigger();
    EXPECT_EQ(fmMain->currentLanguage(), "EN");
    EXPECT_EQ(stored->writes, std::vector<std::string>{"EN"});
    EXPECT_EQ(fmMain->btReset->text(), "FR-RESET");
    EXPECT_EQ(checkedEntry(), "FR") << "the check mark stays with what is on screen";
}

TEST_F(Languages, StoredLanguageWithoutAMenuEntryLoadsWithNoCheckMark) {
    write("QQ/Lang.txt", "not a name line\nmain.btReset.Caption=QQ\n");
    startIn("QQ");
    EXPECT_EQ(fmMain->btReset->text(), "QQ");
    EXPECT_EQ(checkedEntry(), "");
}

TEST_F(Languages, ShippedLanguagesScreenshots) {
    QString shipped = QString(ORVIX_SOURCE_DIR) + "/assets/lang";
    if (!QDir(shipped + "/CHN").exists()) GTEST_SKIP() << "no shipped language folders";
    programFolder = shipped;
    for (const char* code : {"EN", "CHN", "JPN"}) {
        startIn(code);
        EXPECT_EQ(checkedEntry(), code);
        EXPECT_NE(fmMain->btApply->text(), "") << code;
        screenshot(fmMain.get(), QString("language-") + code);
        fmMain.reset();
    }
}

TEST_F(Languages, CaptionsWithMarkupShowTheMarkupAsText) {
    write("XX/Lang.txt",
          "langname=Markup\nmain.tpPower.Caption=<b>PWR</b>\nmain.tpUSBchg.Caption=<i>USB</i>\n"
          "main.tpLEDindicator.Caption=<font color=red>LED</font>\n"
          "keyDef.mnDrag_Move.Caption=[08|2]<s>MOVE</s>\nkeyDef.mnCur_SCR.Caption=[4000|1]<u>MODE</u>\n");
    startIn("XX");
    EXPECT_EQ(fmMain->tpPower->text(), "<b>PWR</b>");
    EXPECT_EQ(fmMain->keys()[1]->functionName(), "<s>MOVE</s>");
    // Every label of the window and its rows that shows text shows it as it stands.
    int labels = 0;
    for (QLabel* label : fmMain->findChildren<QLabel*>()) {
        if (label->text().isEmpty()) continue;
        ++labels;
        EXPECT_EQ(label->textFormat(), Qt::PlainText)
            << label->objectName().toStdString() << ": " << label->text().toStdString();
    }
    EXPECT_EQ(labels, 3 + 5) << "the three picture labels and the five name panels";
    screenshot(fmMain.get(), "captions-with-markup");
}

// The family of the face that draws the first character of `text` in `font`.
QString faceDrawing(const QString& text, const QFont& font) {
    QTextLayout layout(text.left(1), font);
    layout.beginLayout();
    layout.createLine();
    layout.endLayout();
    QList<QGlyphRun> runs = layout.glyphRuns();
    return runs.isEmpty() ? QString() : runs.first().rawFont().familyName();
}

struct FaceCase {
    const char* code;
    const char* face;  // nullptr: whatever the toolkit picks
};

class HanFaces : public Languages, public ::testing::WithParamInterface<FaceCase> {};

TEST_P(HanFaces, CaptionsOfALanguageFolderAreDrawnInItsOwnForms) {
    QString shipped = QString(ORVIX_SOURCE_DIR) + "/assets/lang";
    for (const char* code : {"CHN", "JPN"}) {
        QDir().mkpath(dir.filePath(code));
        ASSERT_TRUE(QFile::copy(shipped + "/" + code + "/Lang.txt", dir.filePath(QString(code) + "/Lang.txt")));
    }
    // A folder that does not say which language its captions are in.
    write("ZZ/Lang.txt", marked("langname=Other\nmain.tpPower.Caption=\xE7\x94\xB5\xE6\xBA\x90\n"));
    QString face = GetParam().face;
    if (!face.isEmpty()) {
#ifdef _WIN32
        // Qt's offscreen platform on Windows sees none of the system's fonts.
        if (!QFontDatabase::hasFamily(face)) GTEST_SKIP() << face.toStdString() << " is not installed here";
#endif
        ASSERT_TRUE(QFontDatabase::hasFamily(face)) << face.toStdString() << ": scripts/test-host installs it";
    }
    startIn("CHN");
    std::string code = GetParam().code;
    if (code != "CHN")
        for (QAction* a : fmMain->languageEntries())
            if (a->data().toString().toStdString() == code) a->trigger();
    ASSERT_EQ(fmMain->currentLanguage(), code);
    QString han = fmMain->tpPower->text();
    ASSERT_GT(han.size(), 0);
    ASSERT_GE(han.at(0).unicode(), 0x4E00) << "a Han character";
    QFont application = QApplication::font();
    if (GetParam().face) {
        EXPECT_EQ(faceDrawing(han, fmMain->tpPower->font()), face);
        EXPECT_EQ(faceDrawing(han, fmMain->btReset->font()), face);
        EXPECT_EQ(faceDrawing(fmMain->keys()[1]->functionName(), fmMain->keys()[1]->pnKeyName->font()), face);
        EXPECT_EQ(faceDrawing(han, fmMain->keys()[1]->popup()->font()), face) << "the function pop-up";
        EXPECT_EQ(faceDrawing(han, fmMain->pmTray->font()), face) << "the tray menu";
    } else {
        EXPECT_EQ(fmMain->tpPower->font().families(), application.families()) << "the toolkit's own choice, as before";
        EXPECT_EQ(fmMain->pmTray->font().families(), application.families());
    }
}

// A start in a language without forms of its own leaves every widget with the font the toolkit
// gives it (the labels keep their own bold); a Han language and a way back restore the families.
TEST_F(Languages, AStartWithoutHanFormsLeavesTheToolkitsFonts) {
    QString shipped = QString(ORVIX_SOURCE_DIR) + "/assets/lang";
    for (const char* code : {"CHN", "EN"}) {
        QDir().mkpath(dir.filePath(code));
        ASSERT_TRUE(QFile::copy(shipped + "/" + code + "/Lang.txt", dir.filePath(QString(code) + "/Lang.txt")));
    }
    startIn();
    ASSERT_EQ(fmMain->currentLanguage(), "EN");
    for (QWidget* w : {static_cast<QWidget*>(fmMain->btReset), static_cast<QWidget*>(fmMain->keys()[1]->pnKeyName)})
        EXPECT_FALSE(w->testAttribute(Qt::WA_SetFont)) << w->objectName().toStdString();
    EXPECT_EQ(fmMain->tpPower->font().families(), QApplication::font().families());
    for (const char* code : {"CHN", "EN"})
        for (QAction* a : fmMain->languageEntries())
            if (a->data().toString() == code) a->trigger();
    ASSERT_EQ(fmMain->currentLanguage(), "EN");
    EXPECT_EQ(fmMain->btReset->font().families(), QApplication::font().families()) << "back from the Han faces";
    EXPECT_EQ(fmMain->pmTray->font().families(), QApplication::font().families());
}

INSTANTIATE_TEST_SUITE_P(Shell, HanFaces,
                         ::testing::Values(FaceCase{"CHN", "Noto Sans CJK SC"}, FaceCase{"JPN", "Noto Sans CJK JP"},
                                           FaceCase{"ZZ", nullptr}),
                         [](const auto& info) { return std::string(info.param.code); });

}  // namespace
}  // namespace orvix::test
