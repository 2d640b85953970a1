#pragma once
// How a command fails: the exit code says what kind of failure it was, the message what to do.

#include <stdexcept>
#include <string>

namespace orvix {

enum ExitCode {
    kDone = 0,
    kDeviceError = 1,  // no receiver, not linked, no acknowledgement, no permission
    kUsageError = 2,   // the command line (or a file it names) says something that cannot be done
};

class CommandError : public std::runtime_error {
public:
    CommandError(ExitCode code, const std::string& message) : std::runtime_error(message), code_(code) {}
    ExitCode code() const { return code_; }

private:
    ExitCode code_;
};

inline CommandError usageError(const std::string& message) { return CommandError(kUsageError, message); }
inline CommandError deviceError(const std::string& message) { return CommandError(kDeviceError, message); }

}  // namespace orvix
