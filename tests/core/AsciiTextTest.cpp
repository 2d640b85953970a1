#include <gtest/gtest.h>

#include "core/AsciiText.h"

namespace orvix {
namespace {

struct DigitCase {
    char c;
    int value;
};

class HexDigit : public ::testing::TestWithParam<DigitCase> {};

TEST_P(HexDigit, EitherCaseAndNothingElse) { EXPECT_EQ(hexDigit(GetParam().c), GetParam().value) << GetParam().c; }

// The neighbours of each digit range in the ASCII table, so an off-by-one shows.
INSTANTIATE_TEST_SUITE_P(Core, HexDigit,
                         ::testing::Values(DigitCase{'0', 0}, DigitCase{'9', 9}, DigitCase{'a', 10}, DigitCase{'f', 15},
                                           DigitCase{'A', 10}, DigitCase{'F', 15}, DigitCase{'/', -1},
                                           DigitCase{':', -1}, DigitCase{'`', -1}, DigitCase{'g', -1},
                                           DigitCase{'@', -1}, DigitCase{'G', -1}, DigitCase{' ', -1},
                                           DigitCase{'\xC3', -1}));

struct TokenCase {
    const char* text;
    std::optional<uint32_t> value;
};

class HexTokenTest : public ::testing::TestWithParam<TokenCase> {};

TEST_P(HexTokenTest, AcceptsOnlyDigitsWithin32Bits) { EXPECT_EQ(hexToken(GetParam().text), GetParam().value); }

INSTANTIATE_TEST_SUITE_P(Core, HexTokenTest,
                         ::testing::Values(TokenCase{"1F", 0x1F}, TokenCase{"1f", 0x1F}, TokenCase{"001F", 0x1F},
                                           TokenCase{"0x1F", std::nullopt}, TokenCase{" 1F", std::nullopt},
                                           TokenCase{"1F ", std::nullopt}, TokenCase{"100000000", std::nullopt},
                                           TokenCase{"", std::nullopt}, TokenCase{"-1", std::nullopt},
                                           TokenCase{"FFFFFFFF", 0xFFFFFFFFu},
                                           TokenCase{"00000000FFFFFFFF", 0xFFFFFFFFu}));

struct CompareCase {
    const char* a;
    const char* b;
    bool equal;
};

class IgnoringAsciiCase : public ::testing::TestWithParam<CompareCase> {};

TEST_P(IgnoringAsciiCase, FoldsOnlyAToZ) {
    const CompareCase& c = GetParam();
    EXPECT_EQ(equalsIgnoringAsciiCase(c.a, c.b), c.equal);
    EXPECT_EQ(equalsIgnoringAsciiCase(c.b, c.a), c.equal);
    EXPECT_EQ(asciiLowered(c.a) == asciiLowered(c.b), c.equal);
}

INSTANTIATE_TEST_SUITE_P(Core, IgnoringAsciiCase,
                         ::testing::Values(CompareCase{"-hide", "-HIDE", true},
                                           CompareCase{"LangName", "langname", true}, CompareCase{"", "", true},
                                           CompareCase{"abc", "abcd", false}, CompareCase{"a", "", false},
                                           // Pairs 32 apart that are not letters, and letters beyond ASCII, stay apart.
                                           CompareCase{"[", "{", false}, CompareCase{"@", "`", false},
                                           CompareCase{"^", "~", false},
                                           CompareCase{"\xC3\xA9", "\xC3\x89", false},  // é and É
                                           CompareCase{"-h\xC4\xB0"
                                                       "de",
                                                       "-hide", false},  // İ
                                           CompareCase{"Z", "z", true}, CompareCase{"A", "a", true}));

TEST(AsciiText, LoweringKeepsEveryOtherByte) {
    EXPECT_EQ(asciiLowered("\xC3\x84"
                           "bC-Z[@]"),
              "\xC3\x84"
              "bc-z[@]");
    EXPECT_EQ(asciiLower('Q'), 'q');
    EXPECT_EQ(asciiLower('\xC9'), '\xC9');
}

struct PrefixCase {
    const char* text;
    const char* prefix;
    bool starts;
};

class StartsWithIgnoringAsciiCase : public ::testing::TestWithParam<PrefixCase> {};

TEST_P(StartsWithIgnoringAsciiCase, ComparesThePrefixOnly) {
    EXPECT_EQ(startsWithIgnoringAsciiCase(GetParam().text, GetParam().prefix), GetParam().starts);
}

INSTANTIATE_TEST_SUITE_P(Core, StartsWithIgnoringAsciiCase,
                         ::testing::Values(PrefixCase{"DWORD:00000001", "dword:", true},
                                           PrefixCase{"hex(2):00", "HEX", true}, PrefixCase{"dword", "dword:", false},
                                           PrefixCase{"", "", true}, PrefixCase{"x", "", true},
                                           PrefixCase{"hax:", "hex", false}));

struct TrimCase {
    const char* text;
    const char* control;  // trimControl
    const char* blanks;   // trimBlanks
};

class Trim : public ::testing::TestWithParam<TrimCase> {};

TEST_P(Trim, RemovesItsCharactersAtBothEndsOnly) {
    EXPECT_EQ(trimControl(GetParam().text), GetParam().control);
    EXPECT_EQ(trimBlanks(GetParam().text), GetParam().blanks);
}

INSTANTIATE_TEST_SUITE_P(Core, Trim,
                         ::testing::Values(TrimCase{" \ta b\t ", "a b", "a b"}, TrimCase{"", "", ""},
                                           TrimCase{" \t ", "", ""},
                                           TrimCase{"\r\n\x01x\x1F\r", "x", "\r\n\x01x\x1F\r"},
                                           TrimCase{" \r x \n ", "x", "\r x \n"},
                                           // DEL, a no-break space and other bytes above 32 are text.
                                           TrimCase{"\x7F"
                                                    "x\xC2\xA0",
                                                    "\x7F"
                                                    "x\xC2\xA0",
                                                    "\x7F"
                                                    "x\xC2\xA0"}));

}  // namespace
}  // namespace orvix
