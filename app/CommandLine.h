#pragma once
// The start modes the command line selects. Only a single argument is looked at, compared
// without regard to ASCII letter case.

#include <string>
#include <vector>

namespace orvix {

struct StartMode {
    bool hide = false;   // "-hide": start hidden in the notification area
    bool quano = false;  // "-Quano": notification mode
};

// arguments: the process's arguments after the program name.
StartMode readCommandLine(const std::vector<std::string>& arguments);

}  // namespace orvix
