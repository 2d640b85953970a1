#include "app/RegistrySettings.h"

#include "app/settings/RegistryValues.h"

namespace orvix {

namespace {

std::string quoted(const std::string& name) { return "'" + name + "'"; }

// A string value: REG_SZ or REG_EXPAND_SZ (taken unexpanded) up to its first NUL; zero-size data
// is the empty text whatever its type.
std::string readString(const std::string& name, const RegValue& v) {
    if (v.data.empty()) return {};
    if (v.type != kRegSz && v.type != kRegExpandSz) throw SettingsError("Invalid data type for " + quoted(name));
    return textOfUtf16(v.data);
}

// An integer value: REG_DWORD with at most four bytes of data.
uint32_t readInteger(const std::string& name, const RegValue& v) {
    if (v.type != kRegDword) throw SettingsError("Invalid data type for " + quoted(name));
    if (v.data.size() > 4) throw SettingsError("Failed to get data for " + quoted(name));
    uint32_t value = 0;
    for (size_t i = 0; i < v.data.size(); ++i) value |= static_cast<uint32_t>(v.data[i]) << (8 * i);
    return value;
}

}  // namespace

RegistrySettings::RegistrySettings(std::unique_ptr<Registry> registry, std::string configKey,
                                   std::unique_ptr<AutoStart> autoStart, std::string programPath)
    : registry_(std::move(registry)),
      configKey_(std::move(configKey)),
      autoStart_(std::move(autoStart)),
      programPath_(std::move(programPath)) {}

void RegistrySettings::readConfig(std::string& lang, uint16_t& vid, uint16_t& pid, std::string& problem) {
    std::unique_ptr<RegKey> key;
    RegStatus opened = registry_->openKey(configKey_, key);
    if (opened.kind == RegStatus::Failed) problem = opened.message;  // e.g. a store that cannot be parsed
    if (!opened.ok()) return;  // no key: every default stays, and nothing is created
    RegValue v;
    if (key->query("Lang", v).ok()) lang = readString("Lang", v);
    if (key->query("VID", v).ok()) vid = static_cast<uint16_t>(readInteger("VID", v) & 0xFFFF);
    if (key->query("PID", v).ok()) pid = static_cast<uint16_t>(readInteger("PID", v) & 0xFFFF);
}

bool RegistrySettings::autoRunPresent() { return autoStart_->open() && autoStart_->present(); }

void RegistrySettings::writeLanguage(const std::string& code) {
    std::unique_ptr<RegKey> key;
    if (!registry_->createKey(configKey_, key).ok()) {
        // A store that cannot be parsed refuses every change: the user must hear of it.
        RegStatus again = registry_->openKey(configKey_, key);
        if (again.kind == RegStatus::Failed) throw SettingsError("Failed to set data for 'Lang'\n" + again.message);
        return;  // neither opened nor created: nothing is written
    }
    RegStatus status = key->set("Lang", stringValue(code));
    if (!status.ok()) throw SettingsError("Failed to set data for 'Lang'\n" + status.message);
}

void RegistrySettings::setAutoRun(bool on) {
    if (!autoStart_->open()) return;  // nothing is stored
    if (!on) {
        autoStart_->remove();
        return;
    }
    std::string error;
    if (!autoStart_->write(programPath_, error))
        throw SettingsError("Failed to set data for 'QuanoOrvixMouse'\n" + error);
}

std::unique_ptr<AppSettings> makeUserSettings() {
    auto registry = makeUserRegistry();
    auto autoStart = makeAutoStart(*registry);
    return std::make_unique<RegistrySettings>(std::move(registry), kConfigKey, std::move(autoStart),
                                              currentProgramPath());
}

}  // namespace orvix
