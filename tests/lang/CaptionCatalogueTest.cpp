#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "lang/CaptionCatalogue.h"
#include "lang/TextDecoding.h"

namespace orvix {
namespace {

using Bytes = std::vector<uint8_t>;
using Lines = std::vector<std::string>;

struct LookupCase {
    const char* name;
    Lines lines;
    const char* want;  // the RESET button's value looked up with the default "RESET"
};

class Lookup : public ::testing::TestWithParam<LookupCase> {};

TEST_P(Lookup, FindsTheFirstLineWhoseKeyMatchesWithoutRegardToCase) {
    CaptionCatalogue catalogue(GetParam().lines);
    EXPECT_EQ(catalogue.langValue("main", "btReset.Caption", "RESET"), GetParam().want);
}

INSTANTIATE_TEST_SUITE_P(
    Catalogue, Lookup,
    ::testing::Values(
        LookupCase{"Exact", {"main.btReset.Caption=RESTORE"}, "RESTORE"},
        LookupCase{"Capitals", {"MAIN.BTRESET.CAPTION=RESTORE"}, "RESTORE"},
        LookupCase{"BlankBeforeEqualsMatchesNothing", {"main.btReset.Caption =RESTORE"}, "RESET"},
        LookupCase{"BlankAfterEqualsIsKept", {"main.btReset.Caption= RESTORE"}, " RESTORE"},
        LookupCase{"FirstOfTwoWins", {"main.btReset.Caption=ONE", "main.btReset.Caption=TWO"}, "ONE"},
        LookupCase{"EmptyValueKeepsTheDefault", {"main.btReset.Caption="}, "RESET"},
        LookupCase{"SecondEqualsBelongsToTheValue", {"main.btReset.Caption=a=b"}, "a=b"},
        LookupCase{"LineWithoutEquals", {"main.btReset.Caption"}, "RESET"},
        LookupCase{"Missing", {"langname=English"}, "RESET"},
        LookupCase{"KeyLongerThanTheWanted", {"main.btReset.CaptionX=NO", "main.btReset.Captio=NO"}, "RESET"},
        LookupCase{"FirstOfTwoSpellingsWins", {"MAIN.btreset.caption=ONE", "main.btReset.Caption=TWO"}, "ONE"},
        LookupCase{"EmptyFirstValueHidesALaterOne", {"main.btReset.Caption=", "main.btReset.Caption=TWO"}, "RESET"},
        LookupCase{"EqualsInAnEarlierLineOnly", {"x=1", "main.btReset.Caption", "main.btReset.Caption=Y"}, "Y"}),
    [](const auto& info) { return std::string(info.param.name); });

struct EntryCase {
    const char* name;
    const char* text;
    bool changes;
    const char* hint;
    int32_t tag;
    const char* caption;
};

class EntryValue : public ::testing::TestWithParam<EntryCase> {};

TEST_P(EntryValue, IsTakenApartAtTheFirstBracketAndBar) {
    auto v = parseMenuEntryValue(GetParam().text);
    ASSERT_EQ(v.has_value(), GetParam().changes);
    if (!v) return;
    EXPECT_EQ(v->hint, GetParam().hint);
    EXPECT_EQ(v->tag, GetParam().tag);
    EXPECT_EQ(v->caption, GetParam().caption);
}

INSTANTIATE_TEST_SUITE_P(
    Catalogue, EntryValue,
    ::testing::Values(EntryCase{"Full", "[4000|1]CURSOR/SCROLL MODE", true, "4000", 1, "CURSOR/SCROLL MODE"},
                      EntryCase{"NoTag", "[8000]DOUBLE CLICK", true, "8000", 0, "DOUBLE CLICK"},
                      EntryCase{"TagNotAnInteger", "[104b|two]X", true, "104b", 0, "X"},
                      EntryCase{"EmptyHintBeforeBar", "[|3]X", true, "", 3, "X"},
                      EntryCase{"SecondBar", "[104b|1|2]X", true, "104b", 0, "X"},
                      EntryCase{"AnyFirstCharacter", "(104b|2]X", true, "104b", 2, "X"},
                      EntryCase{"MultiByteFirstCharacter",
                                "\xE3\x80\x90"
                                "104b|2]X",
                                true, "104b", 2, "X"},
                      EntryCase{"SecondBracketBelongsToTheCaption", "[01]A]B", true, "01", 0, "A]B"},
                      EntryCase{"EndsAfterTheBracket", "[01]", true, "01", 0, ""},
                      EntryCase{"BracketFirst", "]X", true, "", 0, "X"},
                      EntryCase{"NoBracket", "[01 X", false, "", 0, ""},
                      EntryCase{"HexTag", "[01|$1F]X", true, "01", 31, "X"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Catalogue, MenuEntryValueIsWrittenWithTheTagOnlyAboveZero) {
    EXPECT_EQ(formatMenuEntryValue({"4000", 1, "CURSOR/SCROLL MODE"}), "[4000|1]CURSOR/SCROLL MODE");
    EXPECT_EQ(formatMenuEntryValue({"8000", 0, "DOUBLE CLICK"}), "[8000]DOUBLE CLICK");
    EXPECT_EQ(formatMenuEntryValue({"01", -4, "X"}), "[01]X");
    EXPECT_EQ(formatMenuEntryValue({"", 0, "Open window"}), "[]Open window");
}

struct IntCase {
    const char* text;
    int32_t value;
};

class TagInteger : public ::testing::TestWithParam<IntCase> {};

TEST_P(TagInteger, ReadsDecimalOrPrefixedHexadecimal) { EXPECT_EQ(readTagInteger(GetParam().text), GetParam().value); }

INSTANTIATE_TEST_SUITE_P(Catalogue, TagInteger,
                         ::testing::Values(IntCase{"5", 5}, IntCase{"  5", 5}, IntCase{"+5", 5}, IntCase{"-5", -5},
                                           IntCase{"5 ", 0}, IntCase{"", 0}, IntCase{"x", 0}, IntCase{"$1F", 31},
                                           IntCase{"x1f", 31}, IntCase{"X1F", 31}, IntCase{"0x1F", 31},
                                           IntCase{"0X1f", 31}, IntCase{"$FFFFFFFF", -1}, IntCase{"$100000000", 0},
                                           IntCase{"2147483647", 2147483647}, IntCase{"2147483648", 0},
                                           IntCase{"-2147483648", INT32_MIN}, IntCase{"99999999999999999999", 0},
                                           IntCase{"1.5", 0}, IntCase{"-$10", -16}));

TEST(Catalogue, CaptionLinesAreTrimmedAndBlankOnesLeftOut) {
    Lines list;
    addCaptionLine(list, "main", "btReset.Caption", "  RESET \t");
    addCaptionLine(list, "main", "sPanel1.Caption", " \t ");
    addCaptionLine(list, "main", "btApply.Caption", "A P");
    EXPECT_EQ(list, (Lines{"main.btReset.Caption=RESET", "main.btApply.Caption=A P"}));
}

struct EncodingCase {
    const char* name;
    Bytes bytes;
    Lines lines;
};

Bytes utf16(const std::u16string& s, bool bigEndian, bool mark = true) {
    Bytes b;
    if (mark) b = bigEndian ? Bytes{0xFE, 0xFF} : Bytes{0xFF, 0xFE};
    for (char16_t c : s) {
        uint8_t hi = c >> 8, lo = c & 0xFF;
        if (bigEndian) {
            b.push_back(hi);
            b.push_back(lo);
        } else {
            b.push_back(lo);
            b.push_back(hi);
        }
    }
    return b;
}

Bytes bytesOf(const std::string& s) { return Bytes(s.begin(), s.end()); }

const std::string chinese = "\xE7\xAE\x80\xE4\xBD\x93";  // 简体
const Lines expected{"langname=" + chinese, "main.btReset.Caption=R"};

class Encodings : public ::testing::TestWithParam<EncodingCase> {};

TEST_P(Encodings, AreChosenByTheByteOrderMark) {
    // Text without a mark is UTF-8 only where that is the platform's default (not on Windows,
    // where it is the ANSI code page).
    const std::string name = GetParam().name;
    bool unmarkedUtf8 = name == "Utf8WithoutMark" || name == "NotUtf8" || name == "OverlongUtf8";
    if (unmarkedUtf8 && decodeDefaultEncoding(Bytes{0xC3, 0xA9}) != "\xC3\xA9")
        GTEST_SKIP() << "text without a byte-order mark is not UTF-8 on this platform";
    EXPECT_EQ(splitLines(decodeText(GetParam().bytes)), GetParam().lines);
}

INSTANTIATE_TEST_SUITE_P(
    Catalogue, Encodings,
    ::testing::Values(
        EncodingCase{"Utf8WithMark", bytesOf("\xEF\xBB\xBFlangname=" + chinese + "\r\nmain.btReset.Caption=R"),
                     expected},
        EncodingCase{"Utf8WithoutMark", bytesOf("langname=" + chinese + "\nmain.btReset.Caption=R\n"), expected},
        EncodingCase{"Utf16LittleEndian", utf16(u"langname=\u7B80\u4F53\rmain.btReset.Caption=R", false), expected},
        EncodingCase{"Utf16BigEndian", utf16(u"langname=\u7B80\u4F53\r\nmain.btReset.Caption=R", true), expected},
        EncodingCase{"NulEndsTheText", bytesOf(std::string("a=1\nb=2\0c=3\n", 12)), Lines{"a=1", "b=2"}},
        EncodingCase{"EmptyLinesStay", bytesOf("a=1\r\n\r\n\nb=2"), Lines{"a=1", "", "", "b=2"}},
        EncodingCase{"LoneCrThenLf", bytesOf("a\r\rb\n\rc"), Lines{"a", "", "b", "", "c"}},
        // Text that is not UTF-8 was written on a Western Windows: read as Windows-1252.
        EncodingCase{"NotUtf8", bytesOf("a=\xC3\x28\xFF\x80\x81"), Lines{"a=\xC3\x83(\xC3\xBF\xE2\x82\xAC\xC2\x81"}},
        EncodingCase{"OverlongUtf8", bytesOf("a=\xC0\xAF"), Lines{"a=\xC3\x80\xC2\xAF"}},
        EncodingCase{"InvalidUtf8AfterMark",
                     bytesOf("\xEF\xBB\xBF"
                             "a=\xC3\x28"),
                     Lines{"a=\xEF\xBF\xBD("}},
        EncodingCase{"LoneSurrogate", utf16(u"a=\xD800x", false), Lines{"a=\xEF\xBF\xBDx"}},
        EncodingCase{"OddByteCount", Bytes{0xFF, 0xFE, 'a', 0, '=', 0, '1'}, Lines{"a=\xEF\xBF\xBD"}},
        EncodingCase{"SurrogatePair", utf16(u"a=\xD83D\xDE00", true), Lines{"a=\xF0\x9F\x98\x80"}},
        EncodingCase{"MarkOnly", Bytes{0xEF, 0xBB, 0xBF}, Lines{}}),
    [](const auto& info) { return std::string(info.param.name); });

struct LocaleCase {
    const char* name;
    std::vector<std::string> lines;
    const char* locale;
};

class CaptionLocale : public ::testing::TestWithParam<LocaleCase> {};

TEST_P(CaptionLocale, IsTheFirstLangLocaleLineTrimmed) {
    EXPECT_EQ(captionLocale(CaptionCatalogue(GetParam().lines)), GetParam().locale);
}

INSTANTIATE_TEST_SUITE_P(
    Catalogue, CaptionLocale,
    ::testing::Values(LocaleCase{"Declared", {"langname=X", "langlocale=zh_CN", "main.fmCaption=T"}, "zh_CN"},
                      LocaleCase{"AnyLetterCaseAndBlanksAround", {"LangLocale= ja_JP \t"}, "ja_JP"},
                      LocaleCase{"FirstWins", {"langlocale=ko_KR", "langlocale=zh_TW"}, "ko_KR"},
                      LocaleCase{"NotDeclared", {"langname=X", "main.fmCaption=T"}, ""},
                      LocaleCase{"Empty", {"langlocale="}, ""}, LocaleCase{"InASection", {"main.langlocale=zh_CN"}, ""},
                      LocaleCase{"BlankBeforeEquals", {"langlocale =zh_CN"}, ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Catalogue, LoadReadsAFileAndReportsOneThatCannotBeRead) {
    auto dir = std::filesystem::temp_directory_path() /
               ("orvix-cat-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()));
    std::filesystem::create_directories(dir);
    std::string path = (dir / "Lang.txt").string();
    std::ofstream(path, std::ios::binary) << "\xEF\xBB\xBFlangname=X\r\nmain.fmCaption=Title\r\n";
    CaptionCatalogue catalogue;
    FileError error;
    ASSERT_TRUE(catalogue.load(path, error)) << error.reason;
    EXPECT_EQ(catalogue.langValue("main", "fmCaption", "Orvix mouse"), "Title");
    EXPECT_FALSE(catalogue.load((dir / "missing.txt").string(), error));
    EXPECT_EQ(error.kind, FileError::Missing);
    EXPECT_FALSE(catalogue.load(dir.string(), error)) << "a folder is no catalogue";
    std::filesystem::remove_all(dir);
}

TEST(Catalogue, TheTextKeepsTheLinesJoinedByLineFeeds) {
    CaptionCatalogue catalogue = CaptionCatalogue::fromBytes(bytesOf("a=1\r\n\r\nb=2\rc=3\n"));
    EXPECT_EQ(catalogue.text(), "a=1\n\nb=2\nc=3");
    EXPECT_EQ(catalogue.lines(), (Lines{"a=1", "", "b=2", "c=3"}));
    EXPECT_EQ(catalogue.langValue("b", "", "-"), "-") << "the key is \"b\", not \"b.\"";
    EXPECT_EQ(CaptionCatalogue::fromBytes(bytesOf("a=1\n\n")).lines(), (Lines{"a=1", ""}));
    EXPECT_EQ(CaptionCatalogue::fromBytes({}).lines(), Lines{});
}

TEST(Catalogue, AManyLineCatalogueFindsEveryKeysFirstLine) {
    // Keys that differ only in letter case, in a catalogue large enough to fill the index.
    Lines lines;
    for (int i = 0; i < 20000; ++i) lines.push_back("main.k" + std::to_string(i) + ".Caption=v" + std::to_string(i));
    for (int i = 0; i < 20000; i += 7) lines.push_back("MAIN.K" + std::to_string(i) + ".CAPTION=later");
    lines.push_back("no key here");
    CaptionCatalogue catalogue(lines);
    for (int i : {0, 1, 7, 9999, 19999})
        EXPECT_EQ(catalogue.langValue("Main", "K" + std::to_string(i) + ".caption", "-"), "v" + std::to_string(i));
    EXPECT_EQ(catalogue.langValue("main", "k20000.Caption", "-"), "-");
}

}  // namespace
}  // namespace orvix
