#include <gtest/gtest.h>

#include "keys/FunctionCatalogue.h"

namespace orvix {
namespace {

struct HintCase {
    const char* hint;
    int32_t code;
};

class FunctionCode : public ::testing::TestWithParam<HintCase> {};

TEST_P(FunctionCode, IsReadFromHexadecimalDigitsOnly) { EXPECT_EQ(readFunctionCode(GetParam().hint), GetParam().code); }

INSTANTIATE_TEST_SUITE_P(Catalogue, FunctionCode,
                         ::testing::Values(HintCase{"104B", 0x104B}, HintCase{"104b", 0x104B}, HintCase{"0x104B", -1},
                                           HintCase{" 104b", -1}, HintCase{"104b ", -1}, HintCase{"", -1},
                                           HintCase{"00", 0}, HintCase{"ffff", 0xFFFF},
                                           // beyond the two code bytes of a frame: no valid code
                                           HintCase{"10000", -1}, HintCase{"FFFFFFFF", -1}, HintCase{"123456789", -1},
                                           HintCase{"-1", -1}));

TEST(Catalogue, WireOrderExchangesTheTwoBytesOfValidCodes) {
    EXPECT_EQ(wireOrder(0x104B), 0x4B10);
    EXPECT_EQ(wireOrder(0x0008), 0x0800);
    EXPECT_EQ(wireOrder(0x4000), 0x0040);
    EXPECT_EQ(wireOrder(0), 0);
    EXPECT_EQ(wireOrder(-1), -1);
}

TEST(Catalogue, EveryHintReadsAsAValidCodeAndEveryHeadingHoldsFunctions) {
    int functions = 0, headings = 0, separators = 0;
    for (const CatalogueEntry& e : functionCatalogue()) {
        switch (e.Kind) {
        case EntryKind::Function:
            ++functions;
            EXPECT_GE(readFunctionCode(e.Hint), 0) << e.Name;
            break;
        case EntryKind::Heading:
            ++headings;
            EXPECT_STREQ(e.Hint, "") << e.Name;
            break;
        case EntryKind::Separator:
            ++separators;
            EXPECT_STREQ(e.Caption, "-");
            break;
        }
        if (*e.Under) {
            auto heading = std::find_if(functionCatalogue().begin(), functionCatalogue().end(),
                                        [&](const CatalogueEntry& h) { return std::string(h.Name) == e.Under; });
            ASSERT_NE(heading, functionCatalogue().end()) << e.Name;
            EXPECT_EQ(heading->Kind, EntryKind::Heading);
            EXPECT_LT(heading - functionCatalogue().begin(), &e - functionCatalogue().data()) << "heading first";
        }
    }
    EXPECT_EQ(functions, 26);
    EXPECT_EQ(headings, 4);
    EXPECT_EQ(separators, 1);
}

}  // namespace
}  // namespace orvix
