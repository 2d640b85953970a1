// Catalogues and help pages as files: what can be read, and what is passed over without waiting.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "core/AsciiText.h"
#include "lang/CaptionCatalogue.h"
#include "lang/FolderLookup.h"
#include "lang/TextDecoding.h"

namespace orvix {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

class TextFiles : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() /
              ("orvix-text-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }
    std::string write(const std::string& name, const std::string& text) {
        fs::path file = dir / name;
        fs::create_directories(file.parent_path());
        std::ofstream(file, std::ios::binary) << text;
        return file.string();
    }
    fs::path dir;
};

TEST_F(TextFiles, ACatalogueLoadsAndMissingFilesAndFoldersAreToldApart) {
    std::string path = write("Lang.txt", "\xEF\xBB\xBFlangname=X\r\nmain.fmCaption=Title\r\n");
    CaptionCatalogue catalogue;
    FileError error;
    ASSERT_TRUE(catalogue.load(path, error)) << error.reason;
    EXPECT_EQ(catalogue.langValue("main", "fmCaption", "Orvix mouse"), "Title");
    EXPECT_FALSE(catalogue.load((dir / "missing.txt").string(), error));
    EXPECT_EQ(error.kind, FileError::Missing);
    EXPECT_FALSE(error.reason.empty());
    EXPECT_FALSE(catalogue.load(dir.string(), error)) << "a folder is no catalogue";
    EXPECT_EQ(error.kind, FileError::NotAFile);
}

TEST_F(TextFiles, AFileOverTheLimitIsRefused) {
    std::string path = write("big.txt", std::string(100, 'x'));
    Bytes bytes;
    FileError error;
    EXPECT_TRUE(readWholeFile(path, bytes, error, 100));
    EXPECT_EQ(bytes.size(), 100u);
    EXPECT_FALSE(readWholeFile(path, bytes, error, 99));
    EXPECT_EQ(error.kind, FileError::TooLarge);
    EXPECT_TRUE(bytes.empty());
}

struct LookupCase {
    const char* name;
    const char* asked;
    EntryKind kind;
    const char* found;  // relative to the folder; "" for none
};

class EntryLookup : public TextFiles, public ::testing::WithParamInterface<LookupCase> {};

TEST_P(EntryLookup, FindsOnlyEntriesOfTheKindAskedFor) {
    write("EN/Lang.txt", "langname=English\n");
    write("EN/start.RTF", "x");
    write("EN/LED.rtf/inside", "a folder named like a page");
    write("EN/Lang.TXT", "a second spelling");
    const LookupCase& c = GetParam();
    std::string base = (dir / "EN").string();
    std::string want = *c.found ? (dir / "EN" / c.found).string() : std::string();
    if (c.kind == EntryKind::Folder) {
        base = dir.string();
        want = *c.found ? (dir / c.found).string() : std::string();
    }
    std::string found = fs::path(findIgnoringCase(base, c.asked, c.kind)).lexically_normal().string();
    want = fs::path(want).lexically_normal().string();
    // Where the file system itself ignores case (Windows), only one spelling exists.
    if (fs::exists(dir / "en")) {
        found = asciiLowered(found);
        want = asciiLowered(want);
    }
    EXPECT_EQ(found, want);
}

INSTANTIATE_TEST_SUITE_P(
    Lang, EntryLookup,
    ::testing::Values(LookupCase{"ExactSpellingFirst", "Lang.txt", EntryKind::File, "Lang.txt"},
                      LookupCase{"OtherCaseTheLowestName", "LANG.txt", EntryKind::File, "Lang.TXT"},
                      LookupCase{"AnyCase", "Start.rtf", EntryKind::File, "start.RTF"},
                      LookupCase{"AFolderIsNoFile", "LED.rtf", EntryKind::File, ""},
                      LookupCase{"AFileIsNoFolder", "Lang.txt", EntryKind::Folder, ""},
                      LookupCase{"Folder", "en", EntryKind::Folder, "EN"},
                      LookupCase{"Dot", ".", EntryKind::Folder, ""}, LookupCase{"DotDot", "..", EntryKind::Folder, ""},
                      LookupCase{"Empty", "", EntryKind::Folder, ""},
                      LookupCase{"Slash", "EN/Lang.txt", EntryKind::Folder, ""},
                      LookupCase{"Backslash", "EN\\Lang.txt", EntryKind::Folder, ""},
                      LookupCase{"UpAndBack", "../EN", EntryKind::Folder, ""},
                      LookupCase{"Missing", "FR", EntryKind::Folder, ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(TextFiles, AnAbsolutePathNamesNoEntry) {
    write("EN/Lang.txt", "x");
    EXPECT_EQ(findIgnoringCase((dir / "other").string(), (dir / "EN").string(), EntryKind::Folder), "");
}

TEST(TextNames, AreOrderedByAsciiLettersWithoutRegardToCase) {
    std::vector<std::string> names{"zh", "\xE6\x97\xA5\xE6\x9C\xAC", "DE", "Fr", "de", "CHN", "_x", "JPN", "a1"};
    std::sort(names.begin(), names.end(), entryNameLess);
    EXPECT_EQ(names,
              (std::vector<std::string>{"_x", "a1", "CHN", "DE", "de", "Fr", "JPN", "zh", "\xE6\x97\xA5\xE6\x9C\xAC"}));
}

struct HelpTextCase {
    const char* name;
    std::string bytes;
    const char* text;
    bool onlyWhereUnmarkedIsUtf8;  // the fallback is the ANSI code page on Windows
};

class HelpText : public ::testing::TestWithParam<HelpTextCase> {};

TEST_P(HelpText, IsUtf8WhenValidElseTheDefaultEncoding) {
    const HelpTextCase& c = GetParam();
    if (c.onlyWhereUnmarkedIsUtf8 && decodeDefaultEncoding(Bytes{0xC3, 0xA9}) != "\xC3\xA9")
        GTEST_SKIP() << "text without a byte-order mark is not UTF-8 on this platform";
    EXPECT_EQ(decodeUtf8OrDefault(Bytes(c.bytes.begin(), c.bytes.end())), c.text);
}

INSTANTIATE_TEST_SUITE_P(
    Lang, HelpText,
    ::testing::Values(HelpTextCase{"Utf8", "caf\xC3\xA9 \xE2\x82\xAC", "caf\xC3\xA9 \xE2\x82\xAC", false},
                      HelpTextCase{"Ascii", "plain", "plain", false},
                      HelpTextCase{"Windows1252", "caf\xE9 \x80 \x93", "caf\xC3\xA9 \xE2\x82\xAC \xE2\x80\x9C", true},
                      HelpTextCase{"CutUtf8IsNotUtf8", "caf\xC3", "caf\xC3\x83", true},
                      HelpTextCase{"Unassigned1252BytesKeepTheirC1Points", "\x81\x8D\x8F\x90\x9D",
                                   "\xC2\x81\xC2\x8D\xC2\x8F\xC2\x90\xC2\x9D", true}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace orvix
