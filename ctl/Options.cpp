#include "ctl/Options.h"

#include <cmath>
#include <cstdlib>

#include "ctl/CommandError.h"

namespace orvix {

Options::Options(const std::vector<std::string>& args, const std::vector<OptionRule>& rules) {
    bool optionsEnded = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
            operands_.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        size_t eq = arg.find('=');
        std::string name = arg.substr(0, eq);
        const OptionRule* rule = nullptr;
        for (const OptionRule& s : rules)
            if (s.name == name) rule = &s;
        if (!rule) throw usageError("unknown option '" + name + "'");
        if (!rule->takesValue) {
            if (eq != std::string::npos) throw usageError("option '" + name + "' takes no value");
            values_[name] = "";
        } else if (eq != std::string::npos) {
            values_[name] = arg.substr(eq + 1);
        } else if (i + 1 < args.size()) {
            values_[name] = args[++i];
        } else {
            throw usageError("option '" + name + "' needs a value");
        }
    }
}

std::optional<std::string> Options::value(const std::string& name) const {
    auto it = values_.find(name);
    if (it == values_.end()) return std::nullopt;
    return it->second;
}

double Options::seconds(const std::string& name, double def) const {
    std::optional<std::string> text = value(name);
    if (!text) return def;
    char* end = nullptr;
    double v = std::strtod(text->c_str(), &end);
    if (text->empty() || *end != '\0' || !std::isfinite(v) || v <= 0 || v > 86400)
        throw usageError("option '" + name + "' wants seconds above 0 (such as 3 or 0.5), not '" + *text + "'");
    return v;
}

}  // namespace orvix
