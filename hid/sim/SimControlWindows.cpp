#include <cstdio>

#include "hid/sim/SimControlReader.h"

namespace orvix {

// Windows has no FIFOs in the file system: the commands are available in-process only.
SimHidPlatform::ControlReader::ControlReader(const std::string& path, std::function<void(const std::string&)> onLine)
    : path_(path), onLine_(std::move(onLine)) {
    std::fprintf(stderr, "orvix-mouse: ORVIX_SIM_CONTROL is not supported on Windows (%s)\n", path.c_str());
}

SimHidPlatform::ControlReader::~ControlReader() = default;

void SimHidPlatform::ControlReader::run() {}

}  // namespace orvix
