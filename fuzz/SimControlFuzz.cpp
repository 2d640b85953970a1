// The simulated receiver's control stream: any bytes, cut into lines however the reads fall,
// give the same commands; no line is longer than the bound, and every command read back from its
// own spelling is itself.
#include <string>
#include <vector>

#include "fuzz/FuzzCheck.h"
#include "hid/sim/SimCommand.h"

namespace {

using orvix::sim::LineSplitter;
using orvix::sim::SimCommand;

std::string spelling(const SimCommand& command) {
    static const char* const names[] = {"unplug",    "plug",     "unplug-other", "link", "unlink",
                                        "ack-wrong", "ack-drop", "delay",        "flood"};
    std::string text = names[command.verb];
    if (command.verb >= SimCommand::AckWrong) text += " " + std::to_string(command.value);
    return text;
}

std::vector<std::string> linesOf(const uint8_t* data, size_t size, size_t chunk) {
    LineSplitter splitter;
    std::vector<std::string> lines;
    for (size_t i = 0; i < size; i += chunk)
        splitter.feed(reinterpret_cast<const char*>(data) + i, std::min(chunk, size - i),
                      [&](const std::string& line) { lines.push_back(line); });
    return lines;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    // The first byte chooses how the stream is cut into reads.
    size_t chunk = data[0] % 17 + 1;
    std::vector<std::string> whole = linesOf(data + 1, size - 1, size);
    FUZZ_CHECK(linesOf(data + 1, size - 1, chunk) == whole);
    for (const std::string& line : whole) {
        FUZZ_CHECK(line.size() <= LineSplitter::kMaxLine && line.find('\n') == std::string::npos);
        if (auto command = orvix::sim::parseSimCommand(line)) {
            auto again = orvix::sim::parseSimCommand(spelling(*command));
            FUZZ_CHECK(again && *again == *command);
        }
    }
    return 0;
}
