#pragma once
// What the harnesses share: a broken property stops the run like a crash, so libFuzzer keeps the
// input and the replay fails; and a bound on time per input byte, which catches quadratic paths
// that no crash reveals.

#include <time.h>

#include <cstddef>
#include <cstdio>
#include <cstdlib>

#define FUZZ_CHECK(condition)                                                                      \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "property broken: %s (%s:%d)\n", #condition, __FILE__, __LINE__); \
            std::abort();                                                                          \
        }                                                                                          \
    } while (0)

namespace orvix::fuzz {

// Stops the run when one input took longer than a fixed allowance plus a cost per byte. Both are
// generous (a shared, loaded machine, sanitizers on): a linear reader stays far below them, a
// quadratic one on a large input far above. Processor time, not wall time: other work on a shared
// machine does not count. ORVIX_FUZZ_TIME_SCALE multiplies both.
class TimePerByte {
public:
    TimePerByte(size_t bytes, double microsPerByte, double allowanceMillis = 200)
        : bytes_(bytes),
          limitMicros_(scale() * (allowanceMillis * 1000 + microsPerByte * double(bytes))),
          start_(cpuMicros()) {}
    ~TimePerByte() {
        double took = cpuMicros() - start_;
        if (took > limitMicros_) {
            std::fprintf(stderr, "too slow: %zu bytes took %.0f us, more than the %.0f us allowed\n", bytes_, took,
                         limitMicros_);
            std::abort();
        }
    }
    TimePerByte(const TimePerByte&) = delete;
    TimePerByte& operator=(const TimePerByte&) = delete;

private:
    static double cpuMicros() {
        timespec t{};
        clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
        return double(t.tv_sec) * 1e6 + double(t.tv_nsec) / 1e3;
    }
    static double scale() {
        const char* text = std::getenv("ORVIX_FUZZ_TIME_SCALE");
        double value = text ? std::atof(text) : 0;
        return value > 0 ? value : 1;
    }

    size_t bytes_;
    double limitMicros_;
    double start_;
};

}  // namespace orvix::fuzz
