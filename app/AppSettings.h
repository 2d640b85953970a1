#pragma once
// What the main window keeps between runs: the language, the receiver's vendor and product
// identifiers, and whether the program starts with the user's logon. Failures are raised as
// SettingsError with the text the user is shown.

#include <cstdint>
#include <stdexcept>
#include <string>

namespace orvix {

class SettingsError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class AppSettings {
public:
    virtual ~AppSettings() = default;

    // The stored values that exist replace the ones given; the others stay as they are. A value of
    // the wrong kind raises SettingsError. A store that cannot be read at all leaves every default
    // in place and says why in `problem`, for the user to be told without stopping the start.
    virtual void readConfig(std::string& lang, uint16_t& vid, uint16_t& pid, std::string& problem) = 0;
    // Whether the auto-start entry exists, whatever it holds.
    virtual bool autoRunPresent() = 0;
    virtual void writeLanguage(const std::string& code) = 0;
    // Creates (pointing at this program) or removes the auto-start entry.
    virtual void setAutoRun(bool on) = 0;
};

}  // namespace orvix
