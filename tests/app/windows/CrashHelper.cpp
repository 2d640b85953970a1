// Tests that crash on purpose, run one at a time by CrashReportTest through --gtest_filter.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <stdexcept>
#include <thread>

namespace {

void writeToAddressZero() {
    volatile uintptr_t address = 0;  // not a constant, so the compiler emits a real store
    *reinterpret_cast<volatile int*>(address) = 1;
}

TEST(Crash, Passes) { SUCCEED(); }
TEST(Crash, AccessViolationInTheTestBody) { writeToAddressZero(); }
TEST(Crash, AccessViolationOnAnotherThread) { std::thread(writeToAddressZero).join(); }
TEST(Crash, UncaughtExceptionOnAnotherThread) {
    std::thread([] { throw std::runtime_error("nobody catches this"); }).join();
}
TEST(Crash, Abort) { std::abort(); }

}  // namespace
