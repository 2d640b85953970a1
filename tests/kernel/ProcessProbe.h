#pragma once
// What /proc tells about this process: its threads, its open descriptors and how much a thread ran.

#include <cstdint>
#include <set>

namespace orvix::test {

std::set<int> taskIds();
int openDescriptors();

struct TaskUsage {
    uint64_t switches = 0;  // voluntary and involuntary context switches
    uint64_t runNs = 0;     // time spent on a CPU
};
// False when the thread has ended.
bool taskUsage(int tid, TaskUsage& usage);

}  // namespace orvix::test
