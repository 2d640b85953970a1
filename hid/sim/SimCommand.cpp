#include "hid/sim/SimCommand.h"

#include <charconv>
#include <vector>

namespace orvix::sim {

namespace {

std::vector<std::string_view> words(std::string_view line) {
    std::vector<std::string_view> found;
    auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && blank(line[i])) ++i;
        size_t start = i;
        while (i < line.size() && !blank(line[i])) ++i;
        if (i > start) found.push_back(line.substr(start, i - start));
    }
    return found;
}

std::optional<uint32_t> number(std::string_view word) {
    uint32_t value = 0;
    auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), value);
    if (error != std::errc{} || end != word.data() + word.size()) return std::nullopt;
    return value;
}

}  // namespace

std::optional<SimCommand> parseSimCommand(std::string_view line) {
    struct Entry {
        std::string_view name;
        SimCommand::Verb verb;
        bool takesNumber;
    };
    static constexpr Entry table[] = {
        {"unplug", SimCommand::Unplug, false},
        {"plug", SimCommand::Plug, false},
        {"unplug-other", SimCommand::UnplugOther, false},
        {"link", SimCommand::Link, false},
        {"unlink", SimCommand::Unlink, false},
        {"ack-wrong", SimCommand::AckWrong, true},
        {"ack-drop", SimCommand::AckDrop, true},
        {"delay", SimCommand::Delay, true},
        {"flood", SimCommand::Flood, true},
    };
    auto w = words(line);
    if (w.empty()) return std::nullopt;
    for (const Entry& e : table) {
        if (w[0] != e.name) continue;
        if (w.size() != (e.takesNumber ? 2u : 1u)) return std::nullopt;
        SimCommand command{e.verb, 0};
        if (e.takesNumber) {
            auto value = number(w[1]);
            if (!value) return std::nullopt;
            command.value = *value;
        }
        return command;
    }
    return std::nullopt;
}

void LineSplitter::feed(const char* data, size_t size, const std::function<void(const std::string&)>& onLine) {
    for (size_t i = 0; i < size; ++i) {
        char c = data[i];
        if (c == '\n') {
            if (!overlong_) onLine(pending_);
            pending_.clear();
            overlong_ = false;
        } else if (!overlong_) {
            pending_ += c;
            if (pending_.size() > kMaxLine) {
                pending_.clear();
                overlong_ = true;
            }
        }
    }
}

}  // namespace orvix::sim
