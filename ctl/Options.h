#pragma once
// A command's options and operands: "--name", "--name VALUE" or "--name=VALUE"; "--" ends the
// options. Anything else that starts with "-" is a usage error naming it.

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace orvix {

struct OptionRule {
    std::string name;  // with its dashes: "--timeout"
    bool takesValue = false;
};

class Options {
public:
    Options(const std::vector<std::string>& args, const std::vector<OptionRule>& rules);

    bool has(const std::string& name) const { return values_.count(name) != 0; }
    std::optional<std::string> value(const std::string& name) const;
    const std::vector<std::string>& operands() const { return operands_; }

    // The value of a seconds option (decimals allowed, above 0 and at most a day); def without it.
    double seconds(const std::string& name, double def) const;

private:
    std::map<std::string, std::string> values_;
    std::vector<std::string> operands_;
};

}  // namespace orvix
