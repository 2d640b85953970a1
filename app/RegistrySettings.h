#pragma once
// The settings kept in the user's registry (on Linux its Config.reg stand-in): "Lang", "VID" and
// "PID" under the program's Config key, and the auto-start entry.

#include <memory>
#include <string>

#include "app/AppSettings.h"
#include "app/autostart/AutoStart.h"
#include "app/settings/Registry.h"

namespace orvix {

inline constexpr const char* kConfigKey = "software\\Quano\\OrvixMouseV1\\Config";

class RegistrySettings final : public AppSettings {
public:
    // configKey: a parameter so tests never touch the real key.
    RegistrySettings(std::unique_ptr<Registry> registry, std::string configKey, std::unique_ptr<AutoStart> autoStart,
                     std::string programPath);

    void readConfig(std::string& lang, uint16_t& vid, uint16_t& pid, std::string& problem) override;
    bool autoRunPresent() override;
    void writeLanguage(const std::string& code) override;
    void setAutoRun(bool on) override;

private:
    std::unique_ptr<Registry> registry_;
    std::string configKey_;
    std::unique_ptr<AutoStart> autoStart_;
    std::string programPath_;
};

// The user's own settings of this platform.
std::unique_ptr<AppSettings> makeUserSettings();

}  // namespace orvix
