// The language folders beside the program: which offer a language, and what loading one reads.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <ostream>
#include <random>
#include <stdexcept>

#include "lang/LanguageFolders.h"
#include "lang/TextDecoding.h"

namespace orvix {
namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

class ProgramFolder : public ::testing::Test {
protected:
    void SetUp() override {
        // CTest runs each test as a process of its own, at the same time as others.
        dir = fs::temp_directory_path() / ("orvix-languages-" + std::to_string(std::random_device{}()));
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }
    // Writes a file below the program folder, making its folders; a name ending in "/" makes a folder.
    fs::path write(const std::string& name, const std::string& bytes = {}) {
        fs::path path = dir / fs::u8path(name);
        if (name.back() == '/') {
            fs::create_directories(path);
            return path;
        }
        fs::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }
    Lines scan() const {
        LanguageScan found = scanLanguageFolders(dir.string());
        EXPECT_EQ(found.error, "");
        Lines lines;
        for (const LanguageFolder& f : found.folders) lines.push_back(f.name + "=" + f.displayName);
        return lines;
    }
    fs::path dir;
};

struct ScanCase {
    const char* name;
    const char* folder;
    std::string file;     // its "lang.txt"
    const char* caption;  // nullptr: no language
};

void PrintTo(const ScanCase& c, std::ostream* os) { *os << c.name; }

class ScanFolders : public ProgramFolder, public ::testing::WithParamInterface<ScanCase> {};

TEST_P(ScanFolders, TakeOnlyFoldersWhoseFirstLineNamesTheLanguage) {
    const ScanCase& c = GetParam();
    write(std::string(c.folder) + "/lang.txt", c.file);
    Lines expected;
    if (c.caption) {
        // Text without a byte-order mark is read in the platform's default encoding.
        std::string caption(c.caption);
        expected.push_back(std::string(c.folder) + "=" + decodeDefaultEncoding({caption.begin(), caption.end()}));
    }
    EXPECT_EQ(scan(), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Lang, ScanFolders,
    ::testing::Values(ScanCase{"Plain", "FR", "langname=Fran\xC3\xA7\x61is\r\n", "Fran\xC3\xA7\x61is"},
                      ScanCase{"BlankLinesThenCapitalsAndBlanks", "DE", "\r\n  \r\n  LangName = Deutsch \r\n",
                               " Deutsch"},
                      ScanCase{"SecondEquals", "IT", "langname=a=b\n", nullptr},
                      ScanCase{"NothingAfterEquals", "IT", "langname=\n", nullptr},
                      ScanCase{"NothingBeforeEquals", "IT", "=Italiano\n", nullptr},
                      ScanCase{"EmptyFile", "IT", "", nullptr},
                      ScanCase{"TrailingEquals", "IT", "langname=Italiano=\n", "Italiano"},
                      ScanCase{"OtherFirstLine", "IT", "main.btReset.Caption=R\nlangname=Italiano\n", nullptr},
                      ScanCase{"EnglishLower", "en", "langname=English 2\n", nullptr},
                      ScanCase{"EnglishMixed", "En", "langname=English 2\n", nullptr},
                      ScanCase{"FolderWithDash", "zh-TW", "langname=\xE7\xB9\x81\xE9\xAB\x94\xE4\xB8\xAD\xE6\x96\x87\n",
                               "\xE7\xB9\x81\xE9\xAB\x94\xE4\xB8\xAD\xE6\x96\x87"},
                      ScanCase{"FolderWithBlankAndDot", "pt BR.1", "langname=Portugu\xC3\xAAs\n", "Portugu\xC3\xAAs"},
                      ScanCase{"Utf16Catalogue", "KO",
                               std::string("\xFF\xFE"
                                           "l\0a\0n\0g\0n\0a\0m\0e\0=\0K\0O\0",
                                           24),
                               "KO"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ProgramFolder, OnlyPlainFoldersWithACatalogueAreListedInNameOrder) {
    write(".hidden/lang.txt", "langname=Hidden\n");
    write("NOCAT/readme.txt", "langname=None\n");
    write("UPPER/LANG.TXT", "langname=Upper\n");  // found without regard to case
    write("lang.txt", "langname=NotAFolder\n");
    write("DIR/lang.txt/", "");  // a folder named like the catalogue
    for (const char* folder : {"zh", "DE", "Fr", "chn", "_x", "B2"})
        write(std::string(folder) + "/lang.txt", std::string("langname=") + folder + "\n");
    // A link to a language folder is no language folder (where links can be made).
    std::error_code ec;
    fs::create_directory_symlink(dir / "DE", dir / "LINK", ec);
    EXPECT_EQ(scan(), (Lines{"_x=_x", "B2=B2", "chn=chn", "DE=DE", "Fr=Fr", "UPPER=Upper", "zh=zh"}));
}

TEST_F(ProgramFolder, AMissingProgramFolderOffersNothing) {
    LanguageScan found = scanLanguageFolders((dir / "missing").string());
    EXPECT_TRUE(found.folders.empty());
    EXPECT_EQ(found.error, "");
}

TEST_F(ProgramFolder, ACatalogueOverTheLimitOffersNoLanguage) {
    write("BIG/lang.txt", "langname=Big\n");
    fs::resize_file(dir / "BIG" / "lang.txt", maxTextFileSize + 1);  // sparse: nothing is written
    write("FR/lang.txt", "langname=Francais\n");
    EXPECT_EQ(scan(), Lines{"FR=Francais"});
}

struct DisplayCase {
    const char* name;
    const char* text;
    const char* display;
};

class DisplayName : public ::testing::TestWithParam<DisplayCase> {};

TEST_P(DisplayName, ComesFromTheFirstLineThatIsNotBlank) {
    EXPECT_EQ(languageDisplayName(GetParam().text), GetParam().display);
}

INSTANTIATE_TEST_SUITE_P(
    Lang, DisplayName,
    ::testing::Values(DisplayCase{"Plain", "langname=English\nmain.x=y", "English"},
                      DisplayCase{"AfterBlankLines", "\r\n \t\r\n  LangName = Deutsch \r\nx", " Deutsch"},
                      DisplayCase{"LoneCarriageReturns", "\r\r\rlangname=A\rb", "A"},
                      DisplayCase{"NotTheFirstLine", "x=1\nlangname=A", ""}, DisplayCase{"OnlyBlank", "\n\n \n", ""},
                      DisplayCase{"TrailingEquals", "langname=A=", "A"},
                      DisplayCase{"SecondEquals", "langname=A=B", ""}),
    [](const auto& info) { return std::string(info.param.name); });

// The steps a load takes, written down: "start:<bytes>", "led:<bytes>", "catalogue:<fmCaption>".
struct LoadCase {
    const char* name;
    std::vector<std::pair<std::string, std::string>> files;  // "<big>": over its limit; a name ending in "/": a folder
    const char* code;
    Lines steps;
    std::string error;  // the start of the error that ends the load; empty: none
};

void PrintTo(const LoadCase& c, std::ostream* os) { *os << c.name; }

class LoadPlan : public ProgramFolder, public ::testing::WithParamInterface<LoadCase> {};

TEST_P(LoadPlan, ReadsThePagesThenTheCatalogueAndStopsWhereAFailureSays) {
    const LoadCase& c = GetParam();
    for (const auto& [name, bytes] : c.files) {
        fs::path path = write(name, bytes == "<big>" ? "" : bytes);
        if (bytes == "<big>")
            fs::resize_file(path, (name.find(".rtf") != std::string::npos ? maxHelpPageSize : maxTextFileSize) + 1);
    }
    Lines steps;
    LanguageLoadSteps record{[&](HelpPage page, const std::vector<uint8_t>& bytes) {
                                 std::string text(bytes.begin(), bytes.end());
                                 steps.push_back((page == HelpPage::Start ? "start:" : "led:") + text);
                                 if (text == "not a page") throw std::runtime_error("Failed to Load Stream");
                             },
                             [&](CaptionCatalogue& catalogue) {
                                 steps.push_back("catalogue:" + catalogue.langValue("main", "fmCaption", ""));
                             }};
    std::string error;
    try {
        loadLanguageFolder(dir.string(), c.code, record);
    } catch (const std::runtime_error& e) {
        error = e.what();
    }
    EXPECT_EQ(steps, c.steps);
    EXPECT_EQ(error.substr(0, c.error.size()), c.error);
    EXPECT_EQ(error.empty(), c.error.empty()) << error;
}

const std::pair<std::string, std::string> catalogue{"FR/Lang.txt",
                                                    "langname=Fran\xC3\xA7\x61is\nmain.fmCaption=Souris\n"};

INSTANTIATE_TEST_SUITE_P(
    Lang, LoadPlan,
    ::testing::Values(
        LoadCase{"PagesThenCatalogue",
                 {{"FR/LED.rtf", "L"}, {"FR/Start.rtf", "S"}, catalogue},
                 "FR",
                 {"start:S", "led:L", "catalogue:Souris"},
                 ""},
        LoadCase{"OnlyThePagesThatExist", {{"FR/LED.rtf", "L"}, catalogue}, "FR", {"led:L", "catalogue:Souris"}, ""},
        LoadCase{"NamesInAnyCase",
                 {{"fr/start.RTF", "S"}, {"fr/lang.TXT", "main.fmCaption=X\n"}},
                 "FR",
                 {"start:S", "catalogue:X"},
                 ""},
        LoadCase{"NoCatalogueStopsQuietlyAfterThePages",
                 {{"FR/Start.rtf", "S"}, {"FR/LED.rtf", "L"}},
                 "FR",
                 {"start:S", "led:L"},
                 ""},
        LoadCase{"ACatalogueThatIsAFolderStopsQuietly",
                 {{"FR/Start.rtf", "S"}, {"FR/Lang.txt/", ""}},
                 "FR",
                 {"start:S"},
                 ""},
        LoadCase{"ACatalogueOverItsLimitStopsQuietly",
                 {{"FR/Start.rtf", "S"}, {"FR/Lang.txt", "<big>"}},
                 "FR",
                 {"start:S"},
                 ""},
        LoadCase{"APageThatIsAFolderKeepsItsText", {{"FR/Start.rtf/", ""}, catalogue}, "FR", {"catalogue:Souris"}, ""},
        LoadCase{"APageThatCannotBeReadEndsTheLoad",
                 {{"FR/Start.rtf", "<big>"}, {"FR/LED.rtf", "L"}, catalogue},
                 "FR",
                 {},
                 "Cannot open file \""},
        LoadCase{"APageTheViewCannotTakeEndsTheLoad",
                 {{"FR/Start.rtf", "not a page"}, {"FR/LED.rtf", "L"}, catalogue},
                 "FR",
                 {"start:not a page"},
                 "Failed to Load Stream"},
        LoadCase{"AMissingFolderLoadsNothing", {catalogue}, "DE", {}, ""},
        LoadCase{"AFileIsNoFolder", {{"XX", "S"}}, "XX", {}, ""},
        LoadCase{"APathNamesNoFolder", {{"FR/Start.rtf", "S"}, catalogue}, "./FR", {}, ""},
        LoadCase{"TheProgramFolderItself", {{"Start.rtf", "S"}, {"Lang.txt", "main.fmCaption=X\n"}}, ".", {}, ""},
        LoadCase{"ItsParent", {{"Start.rtf", "S"}}, "..", {}, ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ProgramFolder, AnUnreadablePageNamesItsFileInTheError) {
    write("FR/Start.rtf");
    fs::resize_file(dir / "FR" / "Start.rtf", maxHelpPageSize + 1);
    try {
        loadLanguageFolder(dir.string(), "FR",
                           {[](HelpPage, const std::vector<uint8_t>&) {}, [](CaptionCatalogue&) {}});
        ADD_FAILURE() << "no error";
    } catch (const std::runtime_error& e) {
        EXPECT_EQ(std::string(e.what()), cannotOpenFile(dir.string() + "/FR/Start.rtf", "File too large"));
    }
}

}  // namespace
}  // namespace orvix
