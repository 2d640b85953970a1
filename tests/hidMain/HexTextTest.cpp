#include <gtest/gtest.h>

#include "hidMain/HexText.h"

namespace orvix {
namespace {

using Bytes = std::vector<uint8_t>;

TEST(HexText, BytesAreTwoUpperCaseDigitsAndOneBlankEach) {
    EXPECT_EQ(bytesToHex({}), "");
    EXPECT_EQ(bytesToHex({0x00, 0xAB, 0x0F}), "00 AB 0F ");
}

struct HexCase {
    const char* text;
    Bytes bytes;
};

class HexToBytes : public ::testing::TestWithParam<HexCase> {};

TEST_P(HexToBytes, ReadsBlankSeparatedTokens) { EXPECT_EQ(hexToBytes(GetParam().text), GetParam().bytes); }

INSTANTIATE_TEST_SUITE_P(
    Console, HexToBytes,
    ::testing::Values(HexCase{"03 06", {3, 6}}, HexCase{"3 6 1FF", {3, 6, 0xFF}}, HexCase{"   03    06   ", {3, 6}},
                      HexCase{"   ", {0}}, HexCase{"", {}}, HexCase{"03\t06", {0}},  // a tab spoils the token around it
                      HexCase{"03 0\t6 07", {3, 0, 7}}, HexCase{"zz 12", {0, 0x12}},  // a bad token gives 0
                      HexCase{"100000000 12", {0, 0x12}},                             // beyond 32 bits
                      HexCase{"FFFFFFFF", {0xFF}}, HexCase{"0000000000ab", {0xAB}},   // leading zeros are fine
                      HexCase{"0x12", {0}}, HexCase{"1 2 3 4 5 6 7 8", {1, 2, 3, 4, 5, 6, 7, 8}},
                      HexCase{"1 2 3 4 5 6 7 8 9 A", {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}}));

}  // namespace
}  // namespace orvix
