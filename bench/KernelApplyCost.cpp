// Apply end to end through the kernel (scripts/bench boots the kernel tier's guest to run it): the
// five-step apply sequence, as the window drives it, against five bare key writes each waiting for
// its acknowledgement, over the same connection to a receiver on /dev/uhid. Prints one line for
// scripts/bench: "APPLY-COST <sequence ms> <round trips ms>", medians of 11 runs of each, in turn.
// Left out of the kernel tier's own run (tests/kernel/KernelMain.cpp).
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "tests/kernel/WindowSide.h"
#include "tests/kernel/UhidReceiver.h"

namespace orvix::test {
namespace {

using Clock = std::chrono::steady_clock;

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

class ApplyCostBench : public KernelWindowSide {
protected:
    UhidReceiver receiver;
};

TEST_F(ApplyCostBench, FiveStepsAgainstFiveRoundTrips) {
    ASSERT_TRUE(receiver.ok()) << receiver.error();
    ASSERT_TRUE(receiver.plug()) << receiver.error();
    connectAsTheWindow();
    std::vector<double> sequence, bare;
    for (int run = 0; run < 12; ++run) {  // the first of each warms up
        auto start = Clock::now();
        for (const KeyWrite& row : resetRows) {
            size_t before = received.size();
            ASSERT_TRUE(conn->uSendA4(keyWriteArgument(row)));
            ASSERT_TRUE(waitReceived(before + 1));
        }
        double roundTrips = std::chrono::duration<double, std::milli>(Clock::now() - start).count();

        finished = false;
        start = Clock::now();
        perform(link.startApply(resetRows));
        ASSERT_TRUE(loop.runUntil([&] { return finished; }, kernelWait));
        double steps = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
        if (run == 0) continue;
        bare.push_back(roundTrips);
        sequence.push_back(steps);
    }
    std::printf("APPLY-COST %.3f %.3f\n", median(sequence), median(bare));
    std::fflush(stdout);
}

}  // namespace
}  // namespace orvix::test
