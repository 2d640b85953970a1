#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFontDatabase>
#include <QGlyphRun>
#include <QLabel>
#include <QRawFont>
#include <QTextLayout>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTextBrowser>

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
    void writeLanguage(const std::string& code) override { writes.push_back(code); }
    void setAutoRun(bool) override {}
    std::vector<std::string> writes;

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
    MemorySettings* stored = nullptr;
};

struct ScanCase {
    const char* name;
    const char* folder;
    QByteArray file;  // its "lang.txt"
    const char* caption;  // nullptr: no entry
};

class ScanFolders : public Languages, public ::testing::WithParamInterface<ScanCase> {};

TEST_P(ScanFolders, TakeOnlyFoldersWhoseFirstLineNamesTheLanguage) {
    const ScanCase& c = GetParam();
    write(QString(c.folder) + "/lang.txt", c.file);
    startIn();
    QStringList expected{"EN=English"};
    if (c.caption) expected << QString(c.folder) + "=" + QString::fromUtf8(c.caption);
    EXPECT_EQ(menu(), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Shell, ScanFolders,
    ::testing::Values(ScanCase{"Plain", "FR", marked("langname=Fran\xC3\xA7\x61is\r\n"), "Fran\xC3\xA7\x61is"},
                      ScanCase{"BlankLinesThenCapitalsAndBlanks", "DE", "\r\n  \r\n  LangName = Deutsch \r\n", " Deutsch"},
                      ScanCase{"SecondEquals", "IT", "langname=a=b\n", nullptr},
                      ScanCase{"NothingAfterEquals", "IT", "langname=\n", nullptr},
                      ScanCase{"NothingBeforeEquals", "IT", "=Italiano\n", nullptr},
                      ScanCase{"EmptyFile", "IT", "", nullptr},
                      ScanCase{"TrailingEquals", "IT", "langname=Italiano=\n", "Italiano"},
                      ScanCase{"OtherFirstLine", "IT", "main.btReset.Caption=R\nlangname=Italiano\n", nullptr},
                      ScanCase{"EnglishLower", "en", "langname=English 2\n", nullptr},
                      ScanCase{"EnglishMixed", "En", "langname=English 2\n", nullptr},
                      ScanCase{"FolderWithDash", "zh-TW",
                               marked("langname=\xE7\xB9\x81\xE9\xAB\x94\xE4\xB8\xAD\xE6\x96\x87\n"),
                               "\xE7\xB9\x81\xE9\xAB\x94\xE4\xB8\xAD\xE6\x96\x87"},
                      ScanCase{"FolderWithBlankAndDot", "pt BR.1", marked("langname=Portugu\xC3\xAAs\n"),
                               "Portugu\xC3\xAAs"},
                      ScanCase{"Utf16Catalogue", "KO", QByteArray("\xFF\xFE" "l\0a\0n\0g\0n\0a\0m\0e\0=\0K\0O\0", 24), "KO"}),
    [](const auto& info) { return std::string(info.param.name); });

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
    write("FR/Lang.txt", marked("langname=Fran\xC3\xA7\x61is\nmain.fmCaption=Souris\n"
                                "main.btReset.Caption=D\xC3\x89\x46\x41UT\nkeyDef.mnDrag_Move.Caption=[08|2]GLISSER\n"));
    write("FR/Start.rtf", "{\\rtf1\\ansi Bonjour\\par}");
    startIn("FR");
    EXPECT_EQ(fmMain->windowTitle(), "Souris");
    EXPECT_EQ(fmMain->btReset->text(), "D\u00C9FAUT");
    EXPECT_EQ(fmMain->keys()[1]->functionName(), "GLISSER") << "rows reset under their new names";
    EXPECT_EQ(fmMain->reStart->toPlainText().trimmed(), "Bonjour");
    EXPECT_EQ(fmMain->reLED->toPlainText().split('\n', Qt::SkipEmptyParts).size(), 5) << "no LED.rtf: kept";
    EXPECT_EQ(checkedEntry(), "FR");
    EXPECT_EQ(fmMain->mTray->toolTip(), "Souris");
    EXPECT_TRUE(fmMain->smsg->toPlainText().startsWith("langname="));
}

TEST_F(Languages, AFolderWithoutACatalogueReplacesOnlyTheHelpPages) {
    write("XX/Start.rtf", "plain start page");
    startIn("XX");
    EXPECT_EQ(fmMain->reStart->toPlainText(), "plain start page");
    EXPECT_EQ(fmMain->windowTitle(), "Orvix mouse");
    EXPECT_EQ(checkedEntry(), "");
}

TEST_F(Languages, SwitchingStoresFirstKeepsTheFirstLanguagesTextsAndResetsTheRows) {
    write("FR/Lang.txt", "langname=Fran\xC3\xA7\x61is\nmain.btReset.Caption=FR-RESET\nmain.btApply.Caption=FR-APPLY\n");
    write("DE/Lang.txt", "langname=Deutsch\nmain.btReset.Caption=DE-RESET\n");
    startIn("FR");
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
    write("XX/Lang.txt", "langname=Markup\nmain.tpPower.Caption=<b>PWR</b>\nmain.tpUSBchg.Caption=<i>USB</i>\n"
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
        EXPECT_EQ(label->textFormat(), Qt::PlainText) << label->objectName().toStdString() << ": " << label->text().toStdString();
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
        EXPECT_EQ(faceDrawing(han, fmMain->keys()[1]->puKey->font()), face) << "the function pop-up";
        EXPECT_EQ(faceDrawing(han, fmMain->pmTray->font()), face) << "the tray menu";
    } else {
        EXPECT_EQ(fmMain->tpPower->font().families(), application.families()) << "the toolkit's own choice, as before";
        EXPECT_EQ(fmMain->pmTray->font().families(), application.families());
    }
}

INSTANTIATE_TEST_SUITE_P(Shell, HanFaces,
                         ::testing::Values(FaceCase{"CHN", "Noto Sans CJK SC"}, FaceCase{"JPN", "Noto Sans CJK JP"},
                                           FaceCase{"ZZ", nullptr}),
                         [](const auto& info) { return std::string(info.param.code); });

}  // namespace
}  // namespace orvix::test
