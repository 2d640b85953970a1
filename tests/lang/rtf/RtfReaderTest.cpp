// The reader's features, each shown on a small document written for it.
#include <gtest/gtest.h>

#include <QFontDatabase>
#include <QStringDecoder>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextBlock>

#include "lang/rtf/CodePages.h"
#include "lang/rtf/RtfDocumentBuilder.h"
#include "lang/rtf/RtfReader.h"
#include "tests/lang/rtf/RtfTestSupport.h"

namespace orvix::test {
namespace {

// The paragraphs of a document, joined by '|'.
QString textOf(const QByteArray& rtf) {
    Loaded loaded = load(rtf);
    EXPECT_TRUE(loaded.isRtf);
    return paragraphs(*loaded.document).join('|');
}

struct TextCase {
    const char* name;
    QByteArray rtf;
    const char* text;  // UTF-8; paragraphs joined by '|', line breaks as '\n'
};

class RtfText : public testing::TestWithParam<TextCase> {};

TEST_P(RtfText, ReadsTheText) { EXPECT_EQ(textOf(GetParam().rtf), QString::fromUtf8(GetParam().text)); }

const TextCase unicodeCases[] = {
    {"FallbackByteSkipped", R"({\rtf1\ansi\uc1 caf\u233\'e9 ok})", "caf\u00E9 ok"},
    {"FallbackCharacterSkipped", R"({\rtf1 \u8364?5})", "\u20AC5"},
    {"NegativeValue", R"({\rtf1 \u-3?x})", "\uFFFDx"},
    {"SurrogatePair", R"({\rtf1 \u-10179?\u-8704?})", "\U0001F600"},
    {"LoneSurrogate", R"({\rtf1 \u-10179?x})", "\uFFFDx"},
    {"NoFallback", R"({\rtf1\uc0\u8364 x})", "\u20ACx"},
    {"TwoHexBytesOfFallback", R"({\rtf1\uc2\u20320\'c4\'e3!})", "\u4F60!"},
    {"TwoLiteralCharactersOfFallback", R"({\rtf1\uc2\u8364 EU after})", "\u20AC after"},
    {"FallbackAcrossALineEnd", "{\\rtf1\\uc3\\u8364 E\r\nUR after}", "\u20AC after"},
    {"ControlWordCountsAsOneFallback", R"({\rtf1 \u8364\bullet x})", "\u20ACx"},
    {"FallbackEndsWithItsGroup", R"({\rtf1\uc3{\u8364}ab})", "\u20ACab"},
    {"SkipCountBelongsToTheGroup", R"({\rtf1{\uc0\u8364}\u8364?x})", "\u20AC\u20ACx"},
    {"ValuesOutOfRange", R"({\rtf1 \u99999?\u-40000?\u99999999999999?})", "\uFFFD\uFFFD\uFFFD"},
    {"NulAndControlsDropped", R"({\rtf1 a\u0?\u7?b})", "ab"},
    {"UnsignedValue", R"({\rtf1 \u65533?})", "\uFFFD"},
    {"UnicodeAlternativeOfUpr", R"({\rtf1{\upr{ansi}{\*\ud{\u20320?}}}})", "\u4F60"},
};
INSTANTIATE_TEST_SUITE_P(Unicode, RtfText, testing::ValuesIn(unicodeCases), caseName<TextCase>);

const TextCase specialCases[] = {
    {"Escapes", R"({\rtf1 \{a\}\\b})", "{a}\\b"},
    {"SpecialCharacters", R"({\rtf1 a\~b\_c\-d\emdash\endash\lquote\rquote\ldblquote\rdblquote\bullet})",
     "a\u00A0b\u2011c\u00ADd\u2014\u2013\u2018\u2019\u201C\u201D\u2022"},
    {"TabLineAndParagraph", R"({\rtf1 a\tab b\line c\par d})", "a\tb\nc|d"},
    {"LiteralTab", "{\\rtf1 a\tb}", "a\tb"},
    {"LiteralControlCharactersDropped", "{\\rtf1 a\x01" "b\x1F" "c\td}", "abc\td"},
    {"LineEndsInTheSourceAreNotText", "{\\rtf1 ab\r\ncd\nef}", "abcdef"},
    {"BackslashLineEndIsAParagraph", "{\\rtf1 ab\\\r\ncd}", "ab|cd"},
    {"DelimitingSpaceIsNotText", R"({\rtf1\b  bold\b0 x})", " boldx"},
    {"FinalParagraphEndMakesNoEmptyParagraph", R"({\rtf1 a\par})", "a"},
    {"EmptyParagraphs", R"({\rtf1 \par a\par\par})", "|a|"},
    {"TableCellsAsTabs", R"({\rtf1\trowd a\cell b\cell\row c})", "a\tb\t|c"},
};
INSTANTIATE_TEST_SUITE_P(Special, RtfText, testing::ValuesIn(specialCases), caseName<TextCase>);

const TextCase destinationCases[] = {
    {"IgnorableUnknown", R"({\rtf1{\*\unknown hidden {nested}}text})", "text"},
    {"UnknownWordKeepsItsText", R"({\rtf1{\foo visible}})", "visible"},
    {"Tables", R"({\rtf1{\fonttbl{\f0 Arial;}}{\colortbl;\red1\green2\blue3;}{\stylesheet{\s0 Normal;}}text})", "text"},
    {"InfoHeaderFooterFootnote", R"({\rtf1{\info{\title T}{\author A}}{\header H}{\footer F}a{\footnote N}b})", "ab"},
    {"Picture", R"({\rtf1 a{\pict\wmetafile8\picw10 0102ff7b7d}b{\*\shppict{\pict 00}}{\nonshppict{\pict 00}}})", "ab"},
    {"BinaryDataMayHoldBraces", R"({\rtf1 a{\pict\bin4 {{}}}b})", "ab"},
    {"BinaryOutsideAPicture", R"({\rtf1 a\bin3 xyzb})", "ab"},
    {"HiddenText", R"({\rtf1 a{\v hidden}b\v c\v0 d})", "abd"},
    {"ListNumbersAreText", R"({\rtf1{\listtext 1.\tab}Item\par{\pntext\'b7\tab}Next})", "1.\tItem|\u00B7\tNext"},
    {"ListTablesAreNot",
     R"({\rtf1{\listtable{\list{\listlevel{\leveltext \'01\u8226 ?;}}}}{\listoverridetable{\listoverride\ls1}}x})",
     "x"},
    {"FieldShowsItsResult", R"({\rtf1 page {\field{\*\fldinst PAGE}{\fldrslt 3}}})", "page 3"},
    {"OldStyleNumberingDefinition", R"({\rtf1{\*\pn\pnlvlblt{\pntxtb\'b7}}x})", "x"},
};
INSTANTIATE_TEST_SUITE_P(Destinations, RtfText, testing::ValuesIn(destinationCases), caseName<TextCase>);

const TextCase codePageCases[] = {
    {"CentralEurope", R"({\rtf1{\fonttbl{\f0\fcharset238 A;}}\'8a\'e8})", "\u0160\u010D"},
    {"Cyrillic", R"({\rtf1{\fonttbl{\f0\fcharset204 A;}}\'c0\'e1})", "\u0410\u0431"},
    {"Greek", R"({\rtf1{\fonttbl{\f0\fcharset161 A;}}\'e1\'e2})", "\u03B1\u03B2"},
    {"Turkish", R"({\rtf1{\fonttbl{\f0\fcharset162 A;}}\'fe\'f0})", "\u015F\u011F"},
    {"Hebrew", R"({\rtf1{\fonttbl{\f0\fcharset177 A;}}\'e0})", "\u05D0"},
    {"Arabic", R"({\rtf1{\fonttbl{\f0\fcharset178 A;}}\'c7})", "\u0627"},
    {"Baltic", R"({\rtf1{\fonttbl{\f0\fcharset186 A;}}\'e0})", "\u0105"},
    {"Thai", R"({\rtf1{\fonttbl{\f0\fcharset222 A;}}\'a1})", "\u0E01"},
    {"ShiftJis", R"({\rtf1{\fonttbl{\f0\fcharset128 A;}}\'82\'a0})", "\u3042"},
    {"ShiftJisTrailByteAsLetter", R"({\rtf1{\fonttbl{\f0\fcharset128 A;}}\'83A})", "\u30A2"},
    {"ShiftJisTrailByteAsEscapedBackslash", R"({\rtf1{\fonttbl{\f0\fcharset128 A;}}\'95\\})", "\u8868"},
    {"ShiftJisTrailByteAsHex", R"({\rtf1{\fonttbl{\f0\fcharset128 A;}}\'95\'5c})", "\u8868"},
    {"Hangul", R"({\rtf1{\fonttbl{\f0\fcharset129 A;}}\'b0\'a1})", "\uAC00"},
    {"Big5", R"({\rtf1{\fonttbl{\f0\fcharset136 A;}}\'a4\'a4})", "\u4E2D"},
    {"Gb2312", R"({\rtf1{\fonttbl{\f0\fcharset134 A;}}\'d6\'d0})", "\u4E2D"},
    {"LeadByteWithoutTrailDropped", R"({\rtf1{\fonttbl{\f0\fcharset134 A;}}a\'d6\par b})", "a|b"},
    {"FontCodePageBeforeCharset", R"({\rtf1{\fonttbl{\f0\fcharset0\cpg1251 A;}}\'c0})", "\u0410"},
    {"AnsiCharsetIsTheDocumentsCodePage", R"({\rtf1\ansi\ansicpg1251{\fonttbl{\f0\fcharset0 A;}}\'c0})", "\u0410"},
    {"NoFontTable", R"({\rtf1\ansi\ansicpg1253 \'e1})", "\u03B1"},
    {"DefaultWindows1252", R"({\rtf1 \'80\'e9})", "\u20AC\u00E9"},
    {"DefaultFontByDeff", R"({\rtf1\deff1{\fonttbl{\f0 A;}{\f1\fcharset204 B;}}\'c0\f0\'c0\plain\'c0})",
     "\u0410\u00C0\u0410"},
    {"EachFontItsOwnCodePage", R"({\rtf1{\fonttbl{\f0\fcharset204 A;}{\f1\fcharset161 B;}}\f0\'e1\f1\'e1})",
     "\u0431\u03B1"},
};
INSTANTIATE_TEST_SUITE_P(CodePages, RtfText, testing::ValuesIn(codePageCases), caseName<TextCase>);

// Double-byte text in a Latin font, its own font given as the associated font of \dbch: the
// bytes are in that font's code page. f0 is Western, f1 Simplified Chinese, f2 Cyrillic.
#define ORVIX_FONTS R"({\rtf1{\fonttbl{\f0\fcharset0 Arial;}{\f1\fcharset134 SimSun;}{\f2\fcharset204 B;}})"
const TextCase associatedFontCases[] = {
    {"DbchAfterFont", ORVIX_FONTS R"(\f0\dbch\af1 \'d6\'d0})", "\u4E2D"},
    {"EachKindItsFont", ORVIX_FONTS R"(\loch\af0\hich\af2\dbch\af1\loch\f0 \'e9\hich \'e9\dbch \'d6\'d0})",
     "\u00E9\u0439\u4E2D"},
    {"FontAfterTheLastKindIsThatKindsFont", ORVIX_FONTS R"(\loch\af0\hich\af0\dbch\f1 \'d6\'d0})", "\u4E2D"},
    {"LowAnsiAfterDbchTakesItsOwnFont", ORVIX_FONTS R"(\hich\af1\dbch\af1\loch\f0 \'e9})", "\u00E9"},
    {"KindWithoutAFontOfItsOwnTakesTheFont", ORVIX_FONTS R"(\f2\dbch \'e9})", "\u0439"},
    {"ComplexScriptFontIsNotTheDbchFont", ORVIX_FONTS R"(\f0\dbch\af1\rtlch\af2\ltrch \'d6\'d0})", "\u4E2D"},
    {"AfBeforeAnyKindChangesNothing", ORVIX_FONTS R"(\f2\af1 \'e9})", "\u0439"},
    {"KindAndFontsEndWithTheirGroup", ORVIX_FONTS R"(\f2{\dbch\af1 \'d6\'d0}\'e9})", "\u4E2D\u0439"},
    {"PlainForgetsThem", ORVIX_FONTS R"(\f2\dbch\af1\plain\f2 \'e9})", "\u0439"},
};
#undef ORVIX_FONTS
INSTANTIATE_TEST_SUITE_P(AssociatedFonts, RtfText, testing::ValuesIn(associatedFontCases), caseName<TextCase>);

const TextCase symbolCases[] = {
    {"SymbolByCharset", R"({\rtf1{\fonttbl{\f0 Arial;}{\f1\fcharset2 Symbol;}}\f1\'b7 a\f0 a})", "\u2022 \u03B1a"},
    {"SymbolByName", R"({\rtf1{\fonttbl{\f1\fnil Symbol;}}\f1\'b7})", "\u2022"},
    {"SymbolPrivateUse", R"({\rtf1{\fonttbl{\f1\fcharset2 Symbol;}}\f1\u-3913?\u61623?})", "\u2022\u2022"},
    {"Wingdings", R"({\rtf1{\fonttbl{\f2\fcharset2 Wingdings;}}\f2\'a7\'d8l\'fc\'5f})",
     "\u25AA\u27A2\u25CF\u2714\u2022"},
    {"NotASymbolFont", R"({\rtf1{\fonttbl{\f0 Arial;}}\u-3913?\'b7})", "\uF0B7\u00B7"},
    {"UnicodeOutsideTheSymbolRange", R"({\rtf1{\fonttbl{\f1\fcharset2 OpenSymbol;}}\f1\u8226\'95})", "\u2022"},
};
INSTANTIATE_TEST_SUITE_P(SymbolFonts, RtfText, testing::ValuesIn(symbolCases), caseName<TextCase>);

struct FormatCase {
    const char* name;
    QByteArray rtf;
    std::vector<std::pair<const char*, const char*>> runs;  // text in paragraph 0 and its format
};

class RtfFormat : public testing::TestWithParam<FormatCase> {};

TEST_P(RtfFormat, GivesTheRunsTheirFormats) {
    Loaded loaded = load(GetParam().rtf);
    ASSERT_TRUE(loaded.isRtf);
    for (const auto& [text, format] : GetParam().runs) EXPECT_EQ(formatOf(*loaded.document, 0, text), format) << text;
}

const FormatCase formatCases[] = {
    {"GroupsRestore",
     R"({\rtf1 a{\b b{\i c}d}e})",
     {{"a", "12pt"}, {"b", "b 12pt"}, {"c", "b i 12pt"}, {"d", "b 12pt"}, {"e", "12pt"}}},
    {"TogglesOff",
     R"({\rtf1\b\i\ul\strike a\b0\i0\ul0\strike0 b\ul c\ulnone d})",
     {{"a", "b i u s 12pt"}, {"b", "12pt"}, {"c", "u 12pt"}, {"d", "12pt"}}},
    {"PlainResets", R"({\rtf1\b\fs40\cf1\super a\plain b})", {{"a", "b 20pt sup"}, {"b", "12pt"}}},
    {"UnderlineStyles",
     R"({\rtf1\uld a\uldash b\ulwave c\uldb d})",
     {{"a", "u:dot 12pt"}, {"b", "u:dash 12pt"}, {"c", "u:wave 12pt"}, {"d", "u 12pt"}}},
    {"FontSizes",
     R"({\rtf1\fs99999999999999 a\fs0 b\fs-5 c\fs21 d})",
     {{"a", "1638pt"}, {"b", "12pt"}, {"c", "12pt"}, {"d", "10.5pt"}}},
    {"Colours",
     R"({\rtf1{\colortbl;\red255\green0\blue0;\red0\green0\blue255;}\cf1 a\cf0 b\cf9 c\cb2 d\highlight1 e\chcbpat0 f})",
     {{"a", "12pt #ff0000"},
      {"b", "12pt"},
      {"c", "12pt"},
      {"d", "12pt bg#0000ff"},
      {"e", "12pt bg#ff0000"},
      {"f", "12pt"}}},
    {"ColourZeroWhenDefined",
     R"({\rtf1{\colortbl\red0\green128\blue0;}a\cf0 b})",
     {{"a", "12pt"}, {"b", "12pt #008000"}}},
    {"LastColourWithoutSemicolon", R"({\rtf1{\colortbl;\red255}\cf1 a})", {{"a", "12pt #ff0000"}}},
    {"ColourComponentsClamped", R"({\rtf1{\colortbl;\red999\green-4\blue128;}\cf1 a})", {{"a", "12pt #ff0080"}}},
    {"SuperAndSubscript",
     R"({\rtf1\super a\sub b\nosupersub c\up6 d\dn4 e\up0 f})",
     {{"a", "12pt sup"}, {"b", "12pt sub"}, {"c", "12pt"}, {"d", "12pt sup"}, {"e", "12pt sub"}, {"f", "12pt"}}},
    {"HyperlinkAsLink",
     R"({\rtf1{\field{\*\fldinst{ HYPERLINK "https://example.com/a b" \\o "tip"}}{\fldrslt{\ul go}}} x})",
     {{"go", "u 12pt link=https://example.com/a b"}, {" x", "12pt"}}},
    {"HyperlinkToBookmark",
     R"({\rtf1{\field{\*\fldinst HYPERLINK \\l "mark"}{\fldrslt here}}})",
     {{"here", "12pt link=#mark"}}},
    {"OtherFieldsAreNoLinks", R"({\rtf1{\field{\*\fldinst PAGE}{\fldrslt 3}}})", {{"3", "12pt"}}},
    {"PlainKeepsTheLink",
     R"({\rtf1{\field{\*\fldinst HYPERLINK "u"}{\fldrslt\b a\plain b}}})",
     {{"a", "b 12pt link=u"}, {"b", "12pt link=u"}}},
    {"DoubleByteAssociatedProperties",
     R"({\rtf1\ab\afs40 a\dbch b\loch c})",
     {{"a", "12pt"}, {"b", "b 20pt"}, {"c", "12pt"}}},
};
INSTANTIATE_TEST_SUITE_P(Formats, RtfFormat, testing::ValuesIn(formatCases), caseName<FormatCase>);

struct ParagraphCase {
    const char* name;
    QByteArray rtf;
    std::vector<const char*> blocks;  // describeBlock of each paragraph
};

class RtfParagraph : public testing::TestWithParam<ParagraphCase> {};

TEST_P(RtfParagraph, GivesTheParagraphsTheirFormats) {
    Loaded loaded = load(GetParam().rtf);
    QStringList actual;
    for (QTextBlock block = loaded.document->begin(); block.isValid(); block = block.next())
        actual << describeBlock(block.blockFormat());
    QStringList expected;
    for (const char* block : GetParam().blocks) expected << block;
    EXPECT_EQ(actual, expected);
}

const ParagraphCase paragraphCases[] = {
    {"AlignmentStaysUntilPard",
     R"({\rtf1\qc a\par b\par\pard c\par\qr d\par\qj e\par\ql f})",
     {"center", "center", "left", "right", "justify", "left"}},
    {"PropertiesAtTheParagraphEndCount", R"({\rtf1 a\qc\par b})", {"center", "center"}},
    {"GroupsRestore", R"({\rtf1{\qc a\par}b})", {"center", "left"}},
    {"IndentsAndSpacing",
     R"({\rtf1\li1440\ri720\fi-360\sb240\sa120 a\par\pard b})",
     {"left l=96 r=48 fi=-24 sb=16 sa=8 tabs=24", "left"}},
    {"NumbersClamped", R"({\rtf1\li99999999999\ri-5\fi-99999999\sb-1 a})", {"left l=2184 fi=-2185 tabs=2185"}},
    // Qt measures tab stops from the start of the first line, RTF from the text margin.
    {"TabStops",
     R"({\rtf1\li720\tx1440\tqr\tx4320\tqc\tx2880\tqdec\tx5760\tx360 a\par\pard b})",
     {"left l=48 tabs=48,144c,240r,336d", "left"}},
    {"HangingIndentIsATabStop",
     R"({\rtf1\li720\fi-360 a\par\tx1440 b\par\tx540 c})",
     {"left l=48 fi=-24 tabs=24", "left l=48 fi=-24 tabs=24,72", "left l=48 fi=-24 tabs=12,72"}},
};
INSTANTIATE_TEST_SUITE_P(Paragraphs, RtfParagraph, testing::ValuesIn(paragraphCases), caseName<ParagraphCase>);

// Pages that use more character and paragraph formats than the reader keeps at hand, in turn and
// then again in another order: every run and paragraph still gets its own.
TEST(RtfReader, ManyFormatsInTurnEachKeepTheirOwn) {
    constexpr int formats = 40;
    QByteArray rtf = R"({\rtf1{\colortbl ;\red255\green0\blue0;})";
    auto sized = [](int i) { return 16 + 2 * i; };  // half-points
    for (int pass = 0; pass < 2; ++pass)
        for (int k = 0; k < formats; ++k) {
            int i = pass == 0 ? k : (k * 7) % formats;
            rtf += QStringLiteral(R"(\pard\li%1 {\fs%2%3 w%4p%5}\par)")
                       .arg(i * 15)
                       .arg(sized(i))
                       .arg(i % 2 ? R"(\b\cf1)" : "")
                       .arg(i)
                       .arg(pass)
                       .toLatin1();
        }
    rtf += "}";
    Loaded loaded = load(rtf);
    ASSERT_TRUE(loaded.isRtf);
    QTextBlock block = loaded.document->begin();
    for (int pass = 0; pass < 2; ++pass)
        for (int k = 0; k < formats; ++k, block = block.next()) {
            int i = pass == 0 ? k : (k * 7) % formats;
            QString word = QStringLiteral("w%1p%2").arg(i).arg(pass);
            SCOPED_TRACE(word.toStdString());
            ASSERT_TRUE(block.isValid());
            EXPECT_EQ(block.text(), word);
            EXPECT_EQ(describeBlock(block.blockFormat()), i ? QStringLiteral("left l=%1").arg(i) : "left");
            QString format = QStringLiteral("%1%2pt%3").arg(i % 2 ? "b " : "").arg(sized(i) / 2).arg(i % 2 ? " #ff0000" : "");
            EXPECT_EQ(formatOf(*loaded.document, pass * formats + k, word), format);
        }
}

// Text after a table is given again (a font or colour entry redefined) takes the new entry, though
// nothing in its own properties changed.
TEST(RtfReader, TablesGivenAgainApplyToTheTextAfterThem) {
    Loaded loaded = load(R"({\rtf1{\fonttbl{\f0 Orvix Face A;}}{\colortbl;\red255\green0\blue0;}\f0\cf1 a\par)"
                         R"({\fonttbl{\f0 Orvix Face B;}}{\colortbl;\red0\green0\blue255;}b\par})");
    ASSERT_TRUE(loaded.isRtf);
    EXPECT_EQ(formatOf(*loaded.document, 0, "a"), "12pt #ff0000");
    EXPECT_EQ(formatOf(*loaded.document, 1, "b"), "12pt #0000ff");
    QTextCursor a = loaded.document->find("a"), b = loaded.document->find("b");
    ASSERT_FALSE(a.isNull() || b.isNull());
    EXPECT_EQ(namedFace(a.charFormat()), "Orvix Face A");
    EXPECT_EQ(namedFace(b.charFormat()), "Orvix Face B");
}

// A face the desktop lacks would be matched to a stand-in of another family, slow to open and no
// more what the page named; such runs keep the document's font. A face it has is kept.
TEST(RtfReader, RunsNamingAFaceTheDesktopLacksKeepTheDocumentsFont) {
    const QStringList families = QFontDatabase::families();
    if (families.isEmpty()) GTEST_SKIP() << "no fonts installed";
    const QString installed = families.first();
    QTextDocument document;
    ASSERT_TRUE(readRtf("{\\rtf1{\\fonttbl{\\f0 " + installed.toUtf8() +
                            ";}{\\f1 Orvix No Such Face;}}\\f0 kept\\f1 lacking}",
                        document));
    struct Case {
        const char* text;
        QString named;
        QStringList shown;
    };
    for (const Case& c : {Case{"kept", installed, {installed}}, Case{"lacking", "Orvix No Such Face", {}}}) {
        SCOPED_TRACE(c.text);
        QTextCursor found = document.find(c.text);
        ASSERT_FALSE(found.isNull());
        EXPECT_EQ(namedFace(found.charFormat()), c.named);
        EXPECT_EQ(found.charFormat().fontFamilies().toStringList(), c.shown);
    }
}

TEST(RtfReader, DefaultTabWidth) {
    const std::pair<const char*, qreal> cases[] = {
        {R"({\rtf1 a})", 48.0}, {R"({\rtf1\deftab1440 a})", 96.0}, {R"({\rtf1\deftab0 a})", 48.0}};
    for (auto [rtf, pixels] : cases) {
        Loaded loaded = load(rtf);
        EXPECT_EQ(loaded.document->defaultTextOption().tabStopDistance(), pixels) << rtf;
    }
}

TEST(RtfReader, ReplacesWhatTheDocumentHeld) {
    QTextDocument document;
    document.setPlainText("old\nlines");
    ASSERT_TRUE(readRtf(R"({\rtf1 new})", document));
    EXPECT_EQ(document.toPlainText(), "new");
    EXPECT_FALSE(document.isUndoAvailable());
}

TEST(RtfReader, LeavesTheDocumentAloneWhenNotRtf) {
    for (const char* data : {"", "plain text", "{\\RTF1 upper case}", "{rtf1}", "x{\\rtf1 late}"}) {
        QTextDocument document;
        document.setPlainText("kept");
        QString warning = "unset";
        EXPECT_FALSE(readRtf(data, document, &warning)) << data;
        EXPECT_EQ(document.toPlainText(), "kept") << data;
    }
}

TEST(RtfReader, FindsTheStartAfterBlanksAndAByteOrderMark) {
    for (const char* data : {" \r\n\t{\\rtf1 x}", "\xEF\xBB\xBF{\\rtf1 x}", "\xEF\xBB\xBF \n{\\rtf1 x}"})
        EXPECT_EQ(textOf(data), "x") << data;
}

// Without Qt's converters, windows-1252 still reads right, and any other code page reads as it.
TEST(RtfCodePages, BuiltInWindows1252MatchesQtsConverter) {
    QStringDecoder qt("windows-1252");
    if (!qt.isValid()) GTEST_SKIP() << "Qt has no windows-1252 converter here";
    QByteArray all;
    for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
    EXPECT_EQ(rtf::decodeWindows1252(all), qt.decode(all));
}

TEST(RtfCodePages, CodePageWithoutConverterReadsAsWindows1252) {
    rtf::CodePageDecoder decoder;
    decoder.useBuiltInTablesOnly();
    EXPECT_EQ(decoder.decode(1252, "\x80\xE9"), QString::fromUtf8("\u20AC\u00E9"));
    EXPECT_EQ(decoder.unsupported(), QString());
    EXPECT_EQ(decoder.decode(1251, "\xC0"), QString::fromUtf8("\u00C0"));
    EXPECT_EQ(decoder.decode(936, "\xD6\xD0"), QString::fromUtf8("\u00D6\u00D0"));
    EXPECT_EQ(decoder.decode(1251, "\xC1"), QString::fromUtf8("\u00C1"));
    EXPECT_EQ(decoder.decode(1250, "plain"), "plain");  // reported though every character reads right
    EXPECT_EQ(decoder.unsupported(), "1251, 936, 1250");
}

// Printable ASCII takes a shortcut past the converters: it must read as they read it.
TEST(RtfCodePages, PrintableAsciiReadsAsTheConverterReadsIt) {
    QByteArray ascii;
    for (int b = 0x20; b < 0x7F; ++b) ascii += static_cast<char>(b);
    for (int codePage : {437, 850, 874, 932, 936, 949, 950, 1250, 1251, 1252, 1253, 1254, 1255, 1256, 1257, 1258,
                         10000, 65001}) {
        rtf::CodePageDecoder decoder;
        QString shortcut = decoder.decode(codePage, ascii);
        // A byte beyond ASCII sends the whole text through the converter.
        QString converted = decoder.decode(codePage, ascii + "\xC1");
        EXPECT_EQ(shortcut, QString::fromLatin1(ascii)) << codePage;
        EXPECT_EQ(converted.left(ascii.size()), shortcut) << codePage;
    }
}

TEST(RtfCodePages, UnknownCodePageIsReported) {
    Loaded loaded = load(R"({\rtf1{\fonttbl{\f0\cpg12345 A;}}\'e9})");
    EXPECT_EQ(paragraphs(*loaded.document).join('|'), QString::fromUtf8("\u00E9"));
    EXPECT_TRUE(loaded.warning.contains("12345")) << loaded.warning.toStdString();
}

struct PlainCase {
    const char* name;
    QByteArray data;
    bool loads;
    const char* text;  // UTF-8, when it loads
};

class RichOrPlain : public testing::TestWithParam<PlainCase> {};

TEST_P(RichOrPlain, LoadsTheTextOrLeavesTheDocument) {
    QTextDocument document;
    document.setPlainText("kept");
    EXPECT_EQ(loadRichOrPlainText(GetParam().data, document), GetParam().loads);
    EXPECT_EQ(document.toPlainText(), GetParam().loads ? QString::fromUtf8(GetParam().text) : QString("kept"));
}

const PlainCase plainCases[] = {
    {"Rtf", "{\\rtf1 rich\\par text}", true, "rich\ntext"},
    {"Utf8", "Hello\nW\xC3\xB6rld", true, "Hello\nW\u00F6rld"},
    {"Utf8WithMark", "\xEF\xBB\xBFHi", true, "Hi"},
    {"Utf16LittleEndian", QByteArray("\xFF\xFEH\0i\0", 6), true, "Hi"},
    {"Utf16BigEndian", QByteArray("\xFE\xFF\0H\0i", 6), true, "Hi"},
    {"Utf16Pair", QByteArray("\xFF\xFE\x3D\xD8\x00\xDE", 6), true, "\U0001F600"},
    {"Empty", "", true, ""},
    {"RtfCodeInUpperCaseIsText", "{\\RTF1 x}", true, "{\\RTF1 x}"},
    {"MalformedUtf8", "abc\xFF", false, nullptr},
    {"Utf8EncodedSurrogate", "a\xED\xA0\x80", false, nullptr},
    {"MalformedUtf8AfterMark", "\xEF\xBB\xBF\xC3", false, nullptr},
    {"NulByte", QByteArray("a\0b", 3), false, nullptr},
    {"Utf16WithoutMark", QByteArray("H\0i\0", 4), false, nullptr},
    {"Utf16CutInAUnit", QByteArray("\xFF\xFEH\0i", 5), false, nullptr},
    {"Utf16LoneSurrogate", QByteArray("\xFF\xFE\x3D\xD8H\0", 6), false, nullptr},
    {"Utf16Nul", QByteArray("\xFF\xFEH\0\0\0", 6), false, nullptr},
    {"Utf32", QByteArray("\xFF\xFE\0\0H\0\0\0", 8), false, nullptr},
};
INSTANTIATE_TEST_SUITE_P(Data, RichOrPlain, testing::ValuesIn(plainCases), caseName<PlainCase>);

// The plain-text fallback keeps what the RTF path keeps, and never decodes far beyond it.
TEST(RichOrPlainBound, LongTextIsCutAsRtfIs) {
    struct Case {
        const char* name;
        QByteArray data;
        int blocks;  // 0: as many as the characters fill; else the paragraph bound is what ends the text
    } cases[] = {
        {"Characters", QByteArray(rtf::maxDocumentChars + 1000, 'a'), 0},
        {"Paragraphs", QByteArray("a\n").repeated(rtf::maxParagraphs + 1000), rtf::maxParagraphs},
        // Far more bytes than the bound can take: an UTF-8 character cut at the end of what is
        // decoded must not make the page undecodable.
        {"Utf8CutInACharacter", "\xEF\xBB\xBF" + QByteArray("\xE4\xB8\xAD").repeated(3 * rtf::maxDocumentChars), 0},
        // One unit first: both the bytes decoded and the characters kept may end inside a pair.
        {"Utf16CutInAPair",
         "\xFF\xFE"
         "A" +
             QByteArray(1, '\0') + QByteArray("\x3D\xD8\x00\xDE", 4).repeated(3 * rtf::maxDocumentChars),
         0},
    };
    for (const Case& c : cases) {
        QTextDocument document;
        ASSERT_TRUE(loadRichOrPlainText(c.data, document)) << c.name;
        QString text = document.toPlainText();
        EXPECT_LE(text.size(), rtf::maxDocumentChars) << c.name;
        if (c.blocks)
            EXPECT_EQ(document.blockCount(), c.blocks) << c.name;
        else
            EXPECT_GE(text.size(), rtf::maxDocumentChars - 1) << c.name;
        EXPECT_LE(document.blockCount(), rtf::maxParagraphs) << c.name;
        for (qsizetype i = 0; i < text.size(); ++i) {
            bool pair = text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate();
            ASSERT_TRUE(pair || !text[i].isSurrogate()) << c.name << " lone surrogate at " << i;
            i += pair;
        }
    }
}

TEST(RichOrPlainDecoder, TextWithoutMarkGoesToTheGivenDecoder) {
    auto latin1 = [](QByteArrayView bytes) -> std::optional<QString> { return QString::fromLatin1(bytes); };
    QTextDocument document;
    ASSERT_TRUE(loadRichOrPlainText("caf\xE9", document, latin1));
    EXPECT_EQ(document.toPlainText(), QString::fromUtf8("caf\u00E9"));
    // A mark still decides, and NUL is still refused.
    ASSERT_TRUE(loadRichOrPlainText("\xEF\xBB\xBF\xC3\xA9", document, latin1));
    EXPECT_EQ(document.toPlainText(), QString::fromUtf8("\u00E9"));
    EXPECT_FALSE(loadRichOrPlainText(QByteArray("a\0", 2), document, latin1));
}

}  // namespace
}  // namespace orvix::test
