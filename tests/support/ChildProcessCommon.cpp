#include "tests/support/ChildProcess.h"

#include <atomic>
#include <filesystem>
#include <random>

namespace orvix::test {

std::string newStartMark() {
    static std::atomic<unsigned> count{0};
    static const unsigned tag = std::random_device{}();
    std::string name = "orvix-started-" + std::to_string(tag) + "-" + std::to_string(++count);
    return (std::filesystem::temp_directory_path() / name).string();
}

bool takeStartMark(const std::string& mark) {
    std::error_code ec;
    return std::filesystem::remove(mark, ec);
}

ChildResult runChild(const std::string& name, const std::vector<std::string>& arguments,
                     std::chrono::milliseconds timeout) {
    ChildProcess child(name, arguments);
    ChildResult result;
    if (!child.started() || !child.waitFor(timeout)) return result;
    result.exitCode = child.exitCode();
    result.output = child.output();
    return result;
}

}  // namespace orvix::test
