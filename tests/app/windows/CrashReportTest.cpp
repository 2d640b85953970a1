// A crash in a test program fails the run: the program ends at once with a failing exit code,
// neither hanging in a debugger nor ending with 0.

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "tests/support/ChildProcess.h"

namespace orvix::test {
namespace {

TEST(CrashReport, ACrashingTestProgramEndsAtOnceAndFails) {
    struct Case {
        const char* test;
        int64_t exitCode;  // -1: any failing code
    } cases[] = {
        {"Passes", 0},
        {"AccessViolationInTheTestBody", EXCEPTION_ACCESS_VIOLATION},
        {"AccessViolationOnAnotherThread", EXCEPTION_ACCESS_VIOLATION},
        {"UncaughtExceptionOnAnotherThread", -1},
        {"Abort", -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.test);
        ChildResult r =
            runChild("crash_helper", {std::string("--gtest_filter=Crash.") + c.test}, std::chrono::seconds(60));
        ASSERT_NE(r.exitCode, -1) << "did not end in time";
        if (c.exitCode >= 0) {
            EXPECT_EQ(r.exitCode, c.exitCode);
        } else {
            EXPECT_NE(r.exitCode, 0);
        }
        if (c.exitCode != 0) {
            EXPECT_EQ(r.output.find("[  PASSED  ]"), std::string::npos) << r.output;
        }
    }
}

}  // namespace
}  // namespace orvix::test
