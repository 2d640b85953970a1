#include "tests/support/TestStart.h"

#include <cstdio>
#include <cstdlib>

namespace orvix::test {

void markStarted() {
    const char* path = std::getenv("ORVIX_TEST_STARTED");
    if (!path || !*path) return;
    if (std::FILE* f = std::fopen(path, "w")) std::fclose(f);
}

}  // namespace orvix::test
