#include <windows.h>
// psapi.h needs windows.h first.
#include <psapi.h>

#include "tests/support/ProcessUsage.h"

namespace orvix::test {

size_t openHandles() {
    DWORD count = 0;
    GetProcessHandleCount(GetCurrentProcess(), &count);
    return count;
}

// The C runtime's heap has no counter of bytes in use: private bytes stand in, a page at a time.
size_t heapInUse() {
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof counters;
    K32GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), counters.cb);
    return counters.PrivateUsage;
}

}  // namespace orvix::test
