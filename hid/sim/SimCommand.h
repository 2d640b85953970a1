#pragma once
// The simulated receiver's control commands, one a line (ORVIX_SIM_CONTROL and command()).

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace orvix::sim {

struct SimCommand {
    enum Verb { Unplug, Plug, UnplugOther, Link, Unlink, AckWrong, AckDrop, Delay, Flood };
    Verb verb = Unplug;
    uint32_t value = 0;  // N of ack-wrong, ack-drop and flood, MS of delay

    bool operator==(const SimCommand&) const = default;
};

// Nothing for an unknown or malformed line: a missing, negative or oversized number, or words left
// over. Blanks around the words do not matter.
std::optional<SimCommand> parseSimCommand(std::string_view line);

// Cuts a byte stream into lines. A line longer than kMaxLine is dropped whole: no command is that
// long, and a writer that never ends its line must not make the buffer grow without bound.
class LineSplitter {
public:
    static constexpr size_t kMaxLine = 256;

    void feed(const char* data, size_t size, const std::function<void(const std::string&)>& onLine);

private:
    std::string pending_;
    bool overlong_ = false;
};

}  // namespace orvix::sim
