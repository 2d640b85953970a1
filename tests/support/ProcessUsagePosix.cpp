#include <malloc.h>

#include <filesystem>

#include "tests/support/ProcessUsage.h"

namespace orvix::test {

size_t openHandles() {
    size_t n = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) ++n;
    return n;
}

size_t heapInUse() {
    struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
}

}  // namespace orvix::test
