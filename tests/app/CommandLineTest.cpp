#include <gtest/gtest.h>

#include "app/CommandLine.h"

namespace orvix {
namespace {

struct Case {
    std::vector<std::string> arguments;
    bool hide, quano;
};

class CommandLine : public ::testing::TestWithParam<Case> {};

TEST_P(CommandLine, OnlyASingleArgumentSelectsAMode) {
    StartMode mode = readCommandLine(GetParam().arguments);
    EXPECT_EQ(mode.hide, GetParam().hide);
    EXPECT_EQ(mode.quano, GetParam().quano);
}

INSTANTIATE_TEST_SUITE_P(Shell, CommandLine,
                         ::testing::Values(Case{{}, false, false}, Case{{"-hide"}, true, false},
                                           Case{{"-HIDE"}, true, false}, Case{{"-Quano"}, false, true},
                                           Case{{"-quano"}, false, true}, Case{{"-hide", "x"}, false, false},
                                           Case{{"-Quano", "-hide"}, false, false}, Case{{"hide"}, false, false},
                                           Case{{"-hide "}, false, false}, Case{{"/hide"}, false, false},
                                           Case{{"-hİde"}, false, false},  // no case folding beyond ASCII
                                           Case{{""}, false, false}));

}  // namespace
}  // namespace orvix
