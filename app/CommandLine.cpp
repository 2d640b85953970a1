#include "app/CommandLine.h"

#include "core/AsciiText.h"

namespace orvix {

StartMode readCommandLine(const std::vector<std::string>& arguments) {
    StartMode mode;
    if (arguments.size() != 1) return mode;
    mode.quano = equalsIgnoringAsciiCase(arguments[0], "-Quano");
    mode.hide = equalsIgnoringAsciiCase(arguments[0], "-hide");
    return mode;
}

}  // namespace orvix
