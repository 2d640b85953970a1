// Damaged and hostile RTF: whatever can be read is read, a warning says what was wrong, and
// nothing crashes, hangs or grows without bound.
#include <gtest/gtest.h>

#include <QTextBlock>

#include "lang/rtf/RtfDocumentBuilder.h"
#include "lang/rtf/RtfParser.h"
#include "tests/lang/rtf/RtfTestSupport.h"

namespace orvix::test {
namespace {

QString plainText(const Loaded& loaded) { return loaded.document->toPlainText(); }

// A file cut anywhere reads as the start of the whole file's text.
TEST(RtfTruncated, EveryCutReadsAsTheStartOfTheText) {
    for (const char* name : {"wordpad-1252.rtf", "wordpad-gb2312.rtf", "writer-formats.rtf"}) {
        QByteArray data = readFixture(name);
        QString whole = plainText(load(data));
        for (qsizetype size = 5; size < data.size() - 4; ++size) {
            Loaded cut = load(data.left(size));
            ASSERT_TRUE(cut.isRtf) << name << " cut at " << size;
            // A lead byte cut from its trail byte is dropped: compare up to that character.
            QString text = plainText(cut);
            ASSERT_TRUE(whole.startsWith(text) || whole.startsWith(text.chopped(1))) << name << " cut at " << size;
            ASSERT_TRUE(cut.warning.contains("ends before")) << name << " cut at " << size;
        }
    }
}

struct MalformedCase {
    const char* name;
    QByteArray rtf;
    const char* text;     // paragraphs joined by '|'
    const char* warning;  // a part of the warning; "" for none at all
};

class RtfMalformed : public testing::TestWithParam<MalformedCase> {};

TEST_P(RtfMalformed, ReadsWhatCanBeRead) {
    Loaded loaded = load(GetParam().rtf);
    ASSERT_TRUE(loaded.isRtf);
    EXPECT_EQ(paragraphs(*loaded.document).join('|'), QString::fromUtf8(GetParam().text));
    if (*GetParam().warning)
        EXPECT_TRUE(loaded.warning.contains(GetParam().warning)) << loaded.warning.toStdString();
    else
        EXPECT_EQ(loaded.warning, QString());
}

QByteArray repeated(const char* piece, int count) { return QByteArray(piece).repeated(count); }

const MalformedCase malformedCases[] = {
    {"MissingCloseBrace", R"({\rtf1 a{\b b)", "ab", "ends before all groups are closed"},
    {"ExtraCloseBraceEndsTheDocument", R"({\rtf1 a}b})", "a", "data after the end"},
    {"BlanksAfterTheEndAreFine", "{\\rtf1 a}\r\n\0\0", "a", ""},
    {"OnlyTheHeader", R"({\rtf)", "", "ends before"},
    {"BackslashAtTheEnd", "{\\rtf1 a\\", "a", "ends before"},
    {"HexCutOff", "{\\rtf1 a\\'4", "a", "ends before"},
    {"HexNotHex", R"({\rtf1 a\'zzb})", "azzb", ""},
    {"HalfAHexByte", R"({\rtf1 a\'4zb})", "azb", ""},
    {"HugeBinaryCount", R"({\rtf1 a\bin99999999999999 bcd})", "a", "ends before"},
    {"NegativeBinaryCount", R"({\rtf1 a\bin-5 b})", "ab", ""},
    {"HugeSkipCount", R"({\rtf1 \uc99999999999\u8364 skipped all}b})", "\u20AC", "data after the end"},
    {"UnicodeWithoutNumber", R"({\rtf1 a\u b})", "ab", ""},
    {"HugeFontNumber", R"({\rtf1{\fonttbl{\f99999999999\fcharset204 A;}}\f99999999999\'c0})", "\u0410", ""},
    {"NegativeNumbersEverywhere", R"({\rtf1\ansicpg-5\uc-3\fs-1\cf-2\li-7{\fonttbl{\f-1\fcharset-9 A;}}\f-1 a\'e9})",
     "a\u00E9", ""},
    {"LongControlWord", "{\\rtf1 a\\" + repeated("x", 100000) + " b}", "ab", ""},
    {"LongNumber", "{\\rtf1 a\\fs" + repeated("9", 100000) + " b}", "ab", ""},
    {"FontNameWithoutEnd", R"({\rtf1{\fonttbl{\f0\fcharset204 Arial}}\'c0})", "\u0410", ""},
    {"FontTableWithoutGroups", R"({\rtf1{\fonttbl\f0\fcharset204 A;\f1\fcharset161 B;}\f1\'e1})", "\u03B1", ""},
    {"LastFontWithoutSemicolon", R"({\rtf1{\fonttbl\f0\fcharset204 A;\f1\fcharset161 B}\f1\'e1})", "\u03B1", ""},
    {"FieldWithoutResult", R"({\rtf1{\field{\*\fldinst HYPERLINK "x"}}a})", "a", ""},
    {"ResultWithoutField", R"({\rtf1{\fldrslt a}})", "a", ""},
    {"InstructionWithoutField", R"({\rtf1{\*\fldinst HYPERLINK "x"}a})", "a", ""},
    {"UdWithoutUpr", R"({\rtf1{\*\ud a}b})", "ab", ""},
    {"StarBeforeText", R"({\rtf1 {\* a}b})", " ab", ""},
};
INSTANTIATE_TEST_SUITE_P(Data, RtfMalformed, testing::ValuesIn(malformedCases),
                         caseName<MalformedCase>);

TEST(RtfDeepNesting, UnclosedGroupsBeyondTheLimit) {
    Loaded loaded = load("{\\rtf1 " + repeated("{", 100000) + "\\b deep");
    EXPECT_EQ(plainText(loaded), "deep");
    EXPECT_EQ(formatOf(*loaded.document, 0, "deep"), "b 12pt");
    EXPECT_TRUE(loaded.warning.contains("nested deeper")) << loaded.warning.toStdString();
    EXPECT_TRUE(loaded.warning.contains("ends before")) << loaded.warning.toStdString();
}

TEST(RtfDeepNesting, ClosedGroupsRestoreTheOuterFormat) {
    for (int depth : {150, int(rtf::maxGroupDepth) + 100, 100000}) {
        Loaded loaded = load("{\\rtf1 " + repeated("{", depth) + "\\b a" + repeated("}", depth) + "b}");
        EXPECT_EQ(plainText(loaded), "ab") << depth;
        EXPECT_EQ(formatOf(*loaded.document, 0, "a"), "b 12pt") << depth;
        EXPECT_EQ(formatOf(*loaded.document, 0, "b"), "12pt") << depth;
        EXPECT_EQ(loaded.warning.contains("nested deeper"), depth > int(rtf::maxGroupDepth)) << depth;
    }
}

TEST(RtfDeepNesting, SkippedDestinationNestedDeep) {
    Loaded loaded = load("{\\rtf1 {\\*\\x " + repeated("{", 100000) + "hidden" + repeated("}", 100001) + "shown}");
    EXPECT_EQ(plainText(loaded), "shown");
}

TEST(RtfSizeBound, TextBeyondTheBoundIsDropped) {
    Loaded loaded = load("{\\rtf1 " + QByteArray(rtf::maxDocumentChars + 100, 'a') + "}");
    EXPECT_EQ(plainText(loaded).size(), rtf::maxDocumentChars);
    EXPECT_TRUE(loaded.warning.contains("cut at")) << loaded.warning.toStdString();
}

TEST(RtfSizeBound, ParagraphsCountTowardsTheBound) {
    Loaded loaded = load("{\\rtf1 " + repeated("\\par ", rtf::maxParagraphs + 100) + "}");
    EXPECT_EQ(loaded.document->blockCount(), rtf::maxParagraphs);
    EXPECT_TRUE(loaded.warning.contains("cut at")) << loaded.warning.toStdString();
}

// Random sequences of RTF pieces, the same on every run: every one reads without crashing.
TEST(RtfFuzz, RandomPiecesNeverCrash) {
    const QByteArrayView pieces[] = {
        "{", "}", "{", "}", "\\", "\\'", "\\'8", "\\'e9", "\\u-3913", "\\u", "\\uc2", "\\uc0", "\\bin3 ", "\\bin",
        "\\par", "\\pard", "\\plain", "\\b", "\\b0", "\\fs99999999999", "\\fonttbl", "\\f1", "\\f0", "\\fcharset128",
        "\\fcharset2", "\\fcharset134", "\\cpg936", "Symbol;", "Wingdings;", ";", "a", "text ", "\x83", "\x5c", "\xff",
        QByteArrayView("\0", 1), "\\*", "\\*\\ud", "\\upr", "\\ud", "\\field", "\\fldinst HYPERLINK \"x",
        "\\fldrslt", "\\colortbl", "\\red300", "\\cf1", "\\cb2", "\\pict", "\\listtext", "\\line", "\\tab", "\\qc",
        "\\li-99999", "\\up", "\\dbch", "\\ab", " ", "\r\n", "\\\r\n", "\\v", "\\{", "\\}", "\\\\", "-", "12",
    };
    uint32_t seed = 12345;
    auto next = [&seed] {
        seed = seed * 1103515245u + 12345u;
        return seed >> 8;
    };
    for (int round = 0; round < 2000; ++round) {
        QByteArray data = "{\\rtf1";
        int count = int(next() % 400);
        for (int i = 0; i < count; ++i) {
            data += pieces[next() % std::size(pieces)];
        }
        Loaded loaded = load(data);
        ASSERT_TRUE(loaded.isRtf) << round;
        ASSERT_LE(loaded.document->characterCount(), data.size() * 2 + 1) << round;
    }
}

}  // namespace
}  // namespace orvix::test
