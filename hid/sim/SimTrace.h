#pragma once
// The reports the receiver takes and sends, one line each ("OUT 04 02 01 A4 1F 00 00 3D"), kept in
// memory and, when a file is named, appended to it at once so a watcher sees each line as it happens.

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace orvix::sim {

// "OUT" or "IN", then each byte as two upper-case hex digits after one blank.
std::string traceLine(const char* direction, const std::vector<uint8_t>& report);

class SimTrace {
public:
    // An empty path: memory only. A file that cannot be opened is reported on stderr and left out.
    explicit SimTrace(const std::string& path);
    ~SimTrace();
    SimTrace(const SimTrace&) = delete;
    SimTrace& operator=(const SimTrace&) = delete;

    void add(const char* direction, const std::vector<uint8_t>& report);
    const std::vector<std::string>& lines() const { return lines_; }
    void close();

private:
    std::FILE* file_ = nullptr;
    std::vector<std::string> lines_;
};

}  // namespace orvix::sim
