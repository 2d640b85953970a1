#pragma once
// Reads the simulated receiver's commands, one a line, from a FIFO on a thread of its own.

#include <functional>
#include <memory>
#include <string>

namespace orvix::sim {

class SimControlReader {
public:
    // Creates the FIFO when it does not exist (and leaves it there: whoever writes to it owns it).
    // Lines already waiting in the FIFO are handed to onLine before the constructor returns; later
    // ones on the reader's thread. A path that cannot be used is reported on stderr and no thread
    // runs.
    SimControlReader(const std::string& path, std::function<void(const std::string&)> onLine);
    // Ends the thread and waits for it.
    ~SimControlReader();
    SimControlReader(const SimControlReader&) = delete;
    SimControlReader& operator=(const SimControlReader&) = delete;

    // False when the path could not be used (or on Windows, which has no FIFOs).
    bool started() const;

private:
    struct Impl;  // per platform: SimControlPosix.cpp, SimControlWindows.cpp
    std::unique_ptr<Impl> impl_;
};

}  // namespace orvix::sim
