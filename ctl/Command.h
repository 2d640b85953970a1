#pragma once
// One command of orvixctl: its name, its help, and what it does with the arguments after its name.

#include <string>
#include <vector>

namespace orvix {

struct Command {
    const char* name;
    const char* summary;  // one line for the overview
    const char* help;     // the whole of "orvixctl NAME --help"
    // Returns the exit code; raises CommandError for a failure with a message.
    int (*run)(const std::vector<std::string>& args);
};

extern const Command listCommand;
extern const Command statusCommand;
extern const Command functionsCommand;
extern const Command applyCommand;
extern const Command saveCommand;
extern const Command sendCommand;
extern const Command a4Command;
extern const Command monitorCommand;

}  // namespace orvix
