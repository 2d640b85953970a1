// The test program of the kernel tier. It runs inside the test guest only: it creates HID devices
// with /dev/uhid, which on a developer's own machine would reach the desktop's input stack.
// It ends with the plain line "N passed, N failed" for the host script.

#include <gmock/gmock.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "tests/kernel/KernelFixture.h"

int main(int argc, char** argv) {
    testing::InitGoogleMock(&argc, argv);
    const bool child = orvix::test::isQueryOnlyChild();
    if (!child && !std::getenv("ORVIX_KERNEL_GUEST")) {
        std::fprintf(stderr, "%s runs inside the kernel tier's guest only (scripts/test-kernel)\n", argv[0]);
        return 2;
    }
    // The query-only cases run in a child process under another user; the parent starts it.
    std::string filter = GTEST_FLAG_GET(filter);
    if (child)
        GTEST_FLAG_SET(filter, "QueryOnlyChild.*");
    else if (filter == "*")  // the apply bench is scripts/bench's (ApplyCostBench)
        GTEST_FLAG_SET(filter, "-QueryOnlyChild.*:ApplyCostBench.*");

    int rc = RUN_ALL_TESTS();
    if (!child) {
        const testing::UnitTest& unit = *testing::UnitTest::GetInstance();
        std::printf("%d passed, %d failed\n", unit.successful_test_count(), unit.failed_test_count());
        std::fflush(stdout);
    }
    return rc;
}
