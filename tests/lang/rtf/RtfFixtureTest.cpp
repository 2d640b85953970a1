// Files made by real word processors and in the older WordPad style, compared by the paragraphs
// and formats they produce.
#include <gtest/gtest.h>

#include "tests/lang/rtf/RtfTestSupport.h"

namespace orvix::test {
namespace {

struct Expected {
    const char* text;    // a piece of one paragraph
    const char* format;  // describeBlock of its paragraph
};

struct ExpectedRun {
    int paragraph;
    const char* text;    // its first occurrence in that paragraph
    const char* format;  // describeFormat of its run
};

struct FixtureCase {
    const char* file;
    std::vector<const char*> paragraphs;  // every paragraph, in order
    std::vector<ExpectedRun> runs;
    std::vector<Expected> blocks;
};

const FixtureCase fixtureCases[] = {
    {"writer-formats.rtf",
     {"Getting started", "Plain, bold, italic, underlined and struck words.", "Centred line", "Right line",
      "A justified paragraph.", "Large and red and marked.", "E = mc2 and H2O", "First line\nsecond line",
      "Visit the help site now.", "\u2022\tCharge the mouse", "\u2022\tPlug in the receiver", "Indented by an inch.",
      "Quotes: \u201Cdouble\u201D \u2018single\u2019 \u2014 dash \u2013 en, caf\u00E9, na\u00EFve, \u20AC5"},
     {{0, "Getting started", "b 24pt"},
      {1, "Plain, ", "12pt"},
      {1, "bold", "b 12pt"},
      {1, "italic", "i 12pt"},
      {1, "underlined", "u 12pt"},
      {1, "struck", "s 12pt"},
      {5, "Large", "18pt"},
      {5, "red", "12pt #ff0000"},
      {5, "marked", "12pt bg#ffff00"},
      {6, "mc2", ""},  // spans two formats
      {6, "2", "12pt sup"},
      {6, "H", "12pt"},
      {6, "2O", ""},
      {7, "First line", "12pt"},
      {8, "the help site", "u 12pt #000080 link=https://example.com/help"},
      {8, " now.", "12pt"},
      {9, "\u2022", "12pt"},
      {12, "caf\u00E9", "12pt"}},
     {{"Getting started", "left sb=16 sa=8"},
      {"Centred", "center sa=9"},
      {"Right line", "right sa=9"},
      {"justified", "justify sa=9"},
      {"Charge", "left l=47 fi=-19 tabs=19"},
      {"Indented", "left l=96 sa=9"}}},
    {"writer-cjk.rtf",
     {"\u5F00\u59CB\u4F7F\u7528\uFF1A\u8BF7\u5148\u7ED9\u9F20\u6807\u5145\u7535\u3002",
      "\u6307\u793A\u706F\u95EA\u70C1\u8868\u793A\u6B63\u5728\u914D\u5BF9\u3002",
      "\u30DE\u30A6\u30B9\u3092\u5145\u96FB\u3057\u3066\u304F\u3060\u3055\u3044\u3002",
      "Mixed \u4E2D\u6587 and English, \u659C\u4F53, \u5927\u5B57."},
     {{1, "\u6307\u793A\u706F", "b 12pt"},  // bold given as the associated \ab of double-byte text
      {1, "\u95EA\u70C1", "12pt"},
      {3, "\u659C\u4F53", "i 12pt"},
      {3, "\u5927\u5B57", "20pt"},  // size given as the associated \afs
      {3, "Mixed \u4E2D\u6587 and", "12pt"}},
     {}},
    {"wordpad-1252.rtf",
     {"Getting started", "Insert the receiver into a USB port. The LED turns red while charging \u2013 about 2 hours.",
      "\u2022\tSwitch the mouse on.", "\u2022\tPress LINK for 3 seconds.", "Caf\u00E9 \u201Cquoted\u201D \u20AC 5",
      "Justified and indented.\nNext line\ttabbed.", "Times text with colour and x2 and old."},
     {{0, "Getting started", "b 16pt family=Arial"},
      {1, "Insert the receiver", "10pt family=Arial"},
      {1, "red", "10pt #ff0000 family=Arial"},
      {2, "\u2022", "10pt family="},  // the Symbol bullet is a Unicode bullet in any font
      {2, "on", "i 10pt family=Arial"},
      {3, "LINK", "u 10pt family=Arial"},
      {5, "Justified", "12pt family=Arial"},
      {6, "Times text", "10pt family=Times New Roman"},
      {6, "colour", "10pt #0000ff bg#ffff00 family=Times New Roman"},
      {6, "2", "10pt sup family=Times New Roman"},
      {6, "old", "s 10pt family=Times New Roman"}},
     {{"Getting started", "center"},
      {"Insert", "left sa=13"},
      {"Switch", "left l=48 fi=-24 sa=13 tabs=24"},
      {"Caf", "right sa=13"},
      {"Justified", "justify l=96 r=48 sb=8 sa=8"},
      {"Times", "left"}}},
    {"wordpad-1251.rtf",
     {"\u041D\u0430\u0447\u0430\u043B\u043E \u0440\u0430\u0431\u043E\u0442\u044B",
      "\u0412\u0441\u0442\u0430\u0432\u044C\u0442\u0435 \u043F\u0440\u0438\u0451\u043C\u043D\u0438\u043A \u0432 "
      "\u043F\u043E\u0440\u0442 USB. \u0418\u043D\u0434\u0438\u043A\u0430\u0442\u043E\u0440 "
      "\u0433\u043E\u0440\u0438\u0442 "
      "\u0437\u0435\u043B\u0451\u043D\u044B\u043C.",
      "\u2022\t\u0417\u0430\u0440\u044F\u0434\u0438\u0442\u0435 \u043C\u044B\u0448\u044C \u2014 \u0434\u0432\u0430 "
      "\u0447\u0430\u0441\u0430.",
      "Port: COM1"},
     {{0, "\u041D\u0430\u0447\u0430\u043B\u043E", "b 14pt family=Arial"},
      {1, "\u0437\u0435\u043B\u0451\u043D\u044B\u043C", "10pt #008000 family=Arial"},
      {3, "COM1", "i 10pt family=Courier New"}},
     {{"\u041D\u0430\u0447\u0430\u043B\u043E", "center"},
      {"\u0417\u0430\u0440\u044F\u0434\u0438\u0442\u0435", "left l=48 fi=-24 tabs=24"}}},
    {"wordpad-gb2312.rtf",
     {"\u5F00\u59CB\u4F7F\u7528",
      "\u8BF7\u5148\u7ED9\u9F20\u6807\u5145\u7535\uFF0C\u7EA2\u706F\u8868\u793A\u6B63\u5728\u5145\u7535\u3002",
      "LED \u6307\u793A\u706F", "\u4F60\u597D!", "\u539F\u59CB\u5B57\u8282"},
     {{0, "\u5F00\u59CB\u4F7F\u7528", "b 14pt family=\u5B8B\u4F53"},  // the font's name is GB2312 too
      {1, "\u7EA2\u706F", "10pt #ff0000 family=\u5B8B\u4F53"},
      {2, "LED ", "10pt family=Arial"},
      {2, "\u6307\u793A\u706F", "10pt family=\u5B8B\u4F53"}},
     {{"\u5F00\u59CB", "center"}}},
};

class RtfFixture : public testing::TestWithParam<FixtureCase> {
protected:
    void SetUp() override {
        loaded_ = load(readFixture(GetParam().file));
        ASSERT_TRUE(loaded_.isRtf);
    }
    const QTextDocument& document() const { return *loaded_.document; }
    Loaded loaded_;
};

TEST_P(RtfFixture, ReadsWithoutWarning) { EXPECT_EQ(loaded_.warning, QString()); }

TEST_P(RtfFixture, GivesEveryParagraphsText) {
    QStringList expected;
    for (const char* text : GetParam().paragraphs) expected << QString::fromUtf8(text);
    EXPECT_EQ(paragraphs(document()), expected);
}

TEST_P(RtfFixture, GivesTheRunsTheirFormats) {
    for (const ExpectedRun& run : GetParam().runs) {
        QString text = QString::fromUtf8(run.text);
        bool withFamily = QString::fromUtf8(run.format).contains("family=");
        EXPECT_EQ(formatOf(document(), run.paragraph, text, withFamily), QString::fromUtf8(run.format)) << run.text;
    }
}

TEST_P(RtfFixture, GivesTheParagraphsTheirFormats) {
    for (const Expected& block : GetParam().blocks)
        EXPECT_EQ(blockFormatOf(document(), QString::fromUtf8(block.text)), QString::fromUtf8(block.format))
            << block.text;
}

INSTANTIATE_TEST_SUITE_P(Files, RtfFixture, testing::ValuesIn(fixtureCases),
                         [](const testing::TestParamInfo<FixtureCase>& info) {
                             std::string name = info.param.file;
                             name = name.substr(0, name.find('.'));
                             std::replace(name.begin(), name.end(), '-', '_');
                             return name;
                         });

}  // namespace
}  // namespace orvix::test
