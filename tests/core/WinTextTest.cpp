#include "core/windows/WinText.h"

#include <gtest/gtest.h>
#include <windows.h>

namespace orvix::win {
namespace {

struct TextCase {
    const char* name;
    std::string utf8;
    std::wstring wide;
};

class Conversions : public ::testing::TestWithParam<TextCase> {};

TEST_P(Conversions, GoBothWaysUnchanged) {
    EXPECT_EQ(widen(GetParam().utf8), GetParam().wide);
    EXPECT_EQ(narrow(GetParam().wide), GetParam().utf8);
}

INSTANTIATE_TEST_SUITE_P(WinText, Conversions,
                         ::testing::Values(TextCase{"Empty", "", L""}, TextCase{"Ascii", "Lang", L"Lang"},
                                           TextCase{"Han", "\xE7\xAE\x80\xE4\xBD\x93", L"\u7B80\u4F53"},
                                           TextCase{"OutsideTheBmp", "\xF0\x9F\x96\xB1", L"\U0001F5B1"},
                                           TextCase{"EmbeddedNul", std::string("a\0b", 3), std::wstring(L"a\0b", 3)}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(WinText, DecodesBytesOfAnyCodePage) {
    EXPECT_EQ(decode(1252, "\x80\xE9", 2), L"\u20AC\u00E9");
    EXPECT_EQ(decode(932, "\x82\xA0", 2), L"\u3042");
    EXPECT_EQ(decode(1252, "", 0), L"");
}

TEST(WinText, SystemMessageIsTheSentenceWithoutItsLineBreak) {
    std::string denied = systemMessage(ERROR_ACCESS_DENIED);
    ASSERT_FALSE(denied.empty());
    EXPECT_NE(denied.back(), '\n');
    EXPECT_NE(denied.back(), '\r');
    EXPECT_NE(denied.rfind("Error ", 0), 0u) << denied;
}

TEST(WinText, SystemMessageNamesACodeTheSystemDoesNotKnow) { EXPECT_EQ(systemMessage(0x2FFFFFFFu), "Error 805306367"); }

}  // namespace
}  // namespace orvix::win
