#include <gmock/gmock.h>

#include "tests/support/CrashReport.h"
#include "tests/support/TestStart.h"

int main(int argc, char** argv) {
    orvix::test::markStarted();
    orvix::test::installCrashReport();
    testing::InitGoogleMock(&argc, argv);
    return RUN_ALL_TESTS();
}
