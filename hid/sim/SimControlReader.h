#pragma once
// Reads the simulated receiver's commands, one a line, from a FIFO on a thread of its own.

#include <functional>
#include <string>
#include <thread>

#include "hid/sim/SimHidPlatform.h"

namespace orvix {

class SimHidPlatform::ControlReader {
public:
    // Creates the FIFO when it does not exist; onLine runs on the reader's thread.
    ControlReader(const std::string& path, std::function<void(const std::string&)> onLine);
    // Ends the thread.
    ~ControlReader();

private:
    void run();

    std::string path_;
    std::function<void(const std::string&)> onLine_;
    int fifo_ = -1;
    int stop_[2] = {-1, -1};
    std::thread thread_;
};

}  // namespace orvix
