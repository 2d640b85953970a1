#include "tests/kernel/ProcessProbe.h"

#include <filesystem>
#include <fstream>
#include <string>

namespace orvix::test {

namespace fs = std::filesystem;

std::set<int> taskIds() {
    std::set<int> ids;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator("/proc/self/task", ec))
        ids.insert(std::stoi(entry.path().filename()));
    return ids;
}

int openDescriptors() {
    int count = 0;
    std::error_code ec;
    for (auto it = fs::directory_iterator("/proc/self/fd", ec); !ec && it != fs::directory_iterator(); it.increment(ec))
        ++count;
    return count;
}

bool taskUsage(int tid, TaskUsage& usage) {
    const std::string dir = "/proc/self/task/" + std::to_string(tid);
    std::ifstream status(dir + "/status");
    std::ifstream schedstat(dir + "/schedstat");
    if (!status || !schedstat) return false;
    usage = {};
    std::string line;
    while (std::getline(status, line)) {
        auto colon = line.find(':');
        if (colon == std::string::npos) continue;
        std::string key = line.substr(0, colon);
        if (key == "voluntary_ctxt_switches" || key == "nonvoluntary_ctxt_switches")
            usage.switches += std::stoull(line.substr(colon + 1));
    }
    schedstat >> usage.runNs;
    return static_cast<bool>(schedstat);
}

}  // namespace orvix::test
