// Damaged and hostile RTF: whatever can be read is read, a warning says what was wrong, and
// nothing crashes, hangs or grows without bound.
#include <gtest/gtest.h>

#include <QTextBlock>

#include "lang/rtf/RtfDocumentBuilder.h"
#include "lang/rtf/RtfParser.h"
#include "lang/rtf/RtfReader.h"
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
    {"TextAfterBlanksAfterTheEnd", "{\\rtf1 a} \t\r\n b", "a", "data after the end"},
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
    // Past the last field an instruction has nowhere to go: it is skipped, never written outside.
    {"FieldsBeyondTheLimitInAnInstruction", "{\\rtf1{\\*\\fldinst HYPERLINK " + repeated("\\field", 4096) + " x}y}",
     "y", ""},
    {"FieldsBeyondTheLimitInText",
     "{\\rtf1 " + repeated("\\field", 5000) + "{\\*\\fldinst HYPERLINK \"u\"}{\\fldrslt a}b}", "ab", ""},
    {"InstructionsBeyondTheLimit",
     "{\\rtf1 " + repeated("{\\*\\fldinst x}", 5000) + "{\\field{\\*\\fldinst A}{\\fldrslt a}}}", "a", ""},
};
INSTANTIATE_TEST_SUITE_P(Data, RtfMalformed, testing::ValuesIn(malformedCases), caseName<MalformedCase>);

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

// What Qt lays out slowly is kept small: runs, paragraph length, and stretches without a place
// to break a line. The text itself stays.
TEST(RtfLayoutBound, FormatsBeyondTheRunBoundKeepTheLastRunsFormat) {
    Loaded loaded = load("{\\rtf1 " + repeated("{\\b x} y ", rtf::maxRuns) + "{\\i z}}");
    int fragments = 0;  // a run that a continued paragraph splits counts in each block
    for (QTextBlock b = loaded.document->begin(); b.isValid(); b = b.next())
        for (auto it = b.begin(); !it.atEnd(); ++it) ++fragments;
    EXPECT_LE(fragments, rtf::maxRuns + loaded.document->blockCount());
    QString text = plainText(loaded).remove(QChar(0x200B)).remove('\n');
    EXPECT_EQ(text, QString("x y ").repeated(rtf::maxRuns / 2) + QString("x y ").repeated(rtf::maxRuns / 2) + "z");
    QTextBlock last = loaded.document->lastBlock();
    EXPECT_EQ(describeFormat((--last.end()).fragment().charFormat()), "12pt") << "z joined the last run";
}

TEST(RtfLayoutBound, LongParagraphsContinueInNewBlocksWithTheParagraphsFormat) {
    Loaded loaded = load("{\\rtf1\\qc " + repeated("word ", int(rtf::maxParagraphChars)) + "\\par next}");
    QStringList blocks = paragraphs(*loaded.document);
    ASSERT_EQ(blocks.size(), 6);
    for (int i = 0; i < 5; ++i) EXPECT_LE(blocks[i].size(), rtf::maxParagraphChars) << i;
    EXPECT_EQ(blocks.mid(0, 5).join(""), QString("word ").repeated(int(rtf::maxParagraphChars)));
    EXPECT_EQ(blocks[5], "next");
    for (QTextBlock b = loaded.document->begin(); b != loaded.document->lastBlock(); b = b.next())
        EXPECT_EQ(describeBlock(b.blockFormat()), "center");
}

TEST(RtfLayoutBound, AStretchWithoutABreakGetsOneOnlyWhenLong) {
    struct Case {
        const char* name;
        QString text;
        qsizetype breaks;  // U+200B added
    } cases[] = {
        {"Words", QString("abc ").repeated(1000), 0},
        {"LongUrl", "https://example.com/" + QString(400, 'a'), 0},
        {"OneLongWord", QString(3 * rtf::maxUnbrokenChars, 'x'), 3},
        {"Chinese", QString(3 * rtf::maxUnbrokenChars, QChar(0x4E2D)), 0},
        {"Emoji", QString::fromUtf8("\U0001F600").repeated(rtf::maxUnbrokenChars), 0},
    };
    for (const Case& c : cases) {
        QTextDocument document;
        ASSERT_TRUE(loadRichOrPlainText(c.text.toUtf8(), document)) << c.name;
        QString shown = document.toPlainText();
        EXPECT_EQ(shown.count(QChar(0x200B)), c.breaks) << c.name;
        EXPECT_EQ(shown.remove(QChar(0x200B)), c.text) << c.name;
    }
}

// Random sequences of RTF pieces, the same on every run: every one reads without crashing.
TEST(RtfFuzz, RandomPiecesNeverCrash) {
    const QByteArrayView pieces[] = {
        "{",           "}",
        "{",           "}",
        "\\",          "\\'",
        "\\'8",        "\\'e9",
        "\\u-3913",    "\\u",
        "\\uc2",       "\\uc0",
        "\\bin3 ",     "\\bin",
        "\\par",       "\\pard",
        "\\plain",     "\\b",
        "\\b0",        "\\fs99999999999",
        "\\fonttbl",   "\\f1",
        "\\f0",        "\\fcharset128",
        "\\fcharset2", "\\fcharset134",
        "\\cpg936",    "Symbol;",
        "Wingdings;",  ";",
        "a",           "text ",
        "\x83",        "\x5c",
        "\xff",        QByteArrayView("\0", 1),
        "\\*",         "\\*\\ud",
        "\\upr",       "\\ud",
        "\\field",     "\\fldinst HYPERLINK \"x",
        "\\fldrslt",   "\\colortbl",
        "\\red300",    "\\cf1",
        "\\cb2",       "\\pict",
        "\\listtext",  "\\line",
        "\\tab",       "\\qc",
        "\\li-99999",  "\\up",
        "\\dbch",      "\\ab",
        " ",           "\r\n",
        "\\\r\n",      "\\v",
        "\\{",         "\\}",
        "\\\\",        "-",
        "12",          "\\af1",
        "\\af-7",      "\\loch",
        "\\hich",      "\\rtlch",
        "\\ltrch",     "\\fcs1",
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
