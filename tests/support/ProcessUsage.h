#pragma once
// What the test process holds, for checks that something repeated a thousand times keeps it flat.

#include <cstddef>

namespace orvix::test {

// Per platform: ProcessUsagePosix.cpp (descriptors, the allocator's bytes in use),
// ProcessUsageWindows.cpp (handles, private bytes).
size_t openHandles();
size_t heapInUse();

}  // namespace orvix::test
