#pragma once
// What orvixctl takes from the window's program: its stored settings (language, configured
// receiver identifiers) and the language folders beside the program.

#include <cstdint>
#include <string>

namespace orvix {

struct StoredSettings {
    std::string lang = "EN";
    uint16_t vid;
    uint16_t pid;
};

// The user's settings as the window reads them at start. A store that cannot be read is reported
// on standard error and the defaults are used: nothing is ever written.
StoredSettings readStoredSettings();

// The folder that holds orvixctl and the language folders.
std::string programFolder();

}  // namespace orvix
