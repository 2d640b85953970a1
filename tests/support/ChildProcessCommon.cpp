#include "tests/support/ChildProcess.h"

namespace orvix::test {

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
