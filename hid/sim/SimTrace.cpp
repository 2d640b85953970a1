#include "hid/sim/SimTrace.h"

#include <cerrno>
#include <cstring>

namespace orvix::sim {

std::string traceLine(const char* direction, const std::vector<uint8_t>& report) {
    static const char digits[] = "0123456789ABCDEF";
    std::string line = direction;
    for (uint8_t b : report) {
        line += ' ';
        line += digits[b >> 4];
        line += digits[b & 0x0F];
    }
    return line;
}

SimTrace::SimTrace(const std::string& path) {
    if (path.empty()) return;
    // Binary mode: the same "\n" line ends on every platform.
    file_ = std::fopen(path.c_str(), "ab");
    if (!file_)
        std::fprintf(stderr, "orvix-mouse: cannot open the simulated receiver's trace %s: %s\n", path.c_str(),
                     std::strerror(errno));
}

SimTrace::~SimTrace() { close(); }

void SimTrace::add(const char* direction, const std::vector<uint8_t>& report) {
    lines_.push_back(traceLine(direction, report));
    if (!file_) return;
    std::fputs(lines_.back().c_str(), file_);
    std::fputc('\n', file_);
    std::fflush(file_);
}

void SimTrace::close() {
    if (file_) std::fclose(file_);
    file_ = nullptr;
}

}  // namespace orvix::sim
