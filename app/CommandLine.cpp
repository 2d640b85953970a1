#include "app/CommandLine.h"

namespace orvix {

bool equalsIgnoringAsciiCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

StartMode readCommandLine(const std::vector<std::string>& arguments) {
    StartMode mode;
    if (arguments.size() != 1) return mode;
    mode.quano = equalsIgnoringAsciiCase(arguments[0], "-Quano");
    mode.hide = equalsIgnoringAsciiCase(arguments[0], "-hide");
    return mode;
}

}  // namespace orvix
