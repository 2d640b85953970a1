// orvixctl: the receiver's configuration from a terminal and from scripts, on the same logic as
// the window. The commands live one a file; this only picks one and reports how it ended.

#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "ctl/Command.h"
#include "ctl/CommandError.h"
#include "ctl/Console.h"

using namespace orvix;

namespace {

const Command* const commands[] = {&listCommand, &statusCommand, &functionsCommand, &applyCommand,
                                   &saveCommand, &sendCommand,   &a4Command,        &monitorCommand};

void overview(FILE* to) {
    std::fputs(
        "usage: orvixctl COMMAND [OPTIONS] [ARGUMENTS]\n\n"
        "The orvix mouse's receiver from a terminal. Commands:\n",
        to);
    for (const Command* c : commands) std::fprintf(to, "  %-10s %s\n", c->name, c->summary);
    std::fputs(
        "\n'orvixctl COMMAND --help' tells more. Exit codes: 0 done, 1 device error (no receiver, not\n"
        "linked, no acknowledgement, no permission), 2 usage error. ORVIX_HID=sim uses the simulated\n"
        "receiver.\n",
        to);
}

bool asksForHelp(const std::vector<std::string>& args) {
    for (const std::string& a : args) {
        if (a == "--") return false;
        if (a == "--help" || a == "-h") return true;
    }
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    prepareConsole();
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty()) {
        overview(stderr);
        return kUsageError;
    }
    if (args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
        overview(stdout);
        return kDone;
    }
    const Command* command = nullptr;
    for (const Command* c : commands)
        if (args[0] == c->name) command = c;
    if (!command) {
        std::fprintf(stderr, "orvixctl: unknown command '%s' (see 'orvixctl --help')\n", args[0].c_str());
        return kUsageError;
    }
    args.erase(args.begin());
    if (asksForHelp(args)) {
        std::fputs(command->help, stdout);
        return kDone;
    }
    try {
        return command->run(args);
    } catch (const CommandError& e) {
        std::string message = e.what();
        // Every message names its command, once.
        if (message.rfind(std::string(command->name) + ":", 0) != 0)
            message = std::string(command->name) + ": " + message;
        std::fprintf(stderr, "orvixctl: %s\n", message.c_str());
        return e.code();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "orvixctl: %s: %s\n", command->name, e.what());
        return kDeviceError;
    }
}
