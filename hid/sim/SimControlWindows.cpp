#include <cstdio>

#include "hid/sim/SimControlReader.h"

namespace orvix::sim {

// Windows has no FIFOs in its file system: there the commands are given in-process only
// (SimHidPlatform::command).
struct SimControlReader::Impl {};

SimControlReader::SimControlReader(const std::string& path, std::function<void(const std::string&)>)
    : impl_(std::make_unique<Impl>()) {
    std::fprintf(stderr, "orvix-mouse: control FIFO %s: not available on Windows\n", path.c_str());
}

SimControlReader::~SimControlReader() = default;

bool SimControlReader::started() const { return false; }

}  // namespace orvix::sim
