#pragma once
// The settings store: the current user's registry on Windows, a folder of Config.reg files on
// Linux. The port speaks in value types and raw data bytes exactly as the registry keeps them, so
// the settings logic sees every type and data size as Windows would (a string is UTF-16LE with its
// terminating NUL on every platform; see RegistryValues.h for the conversions).
//
// Key paths are relative to HKEY_CURRENT_USER, their parts separated by '\'. Key and value names
// are matched without regard to letter case; the empty value name is the key's default value.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace orvix {

// Value types, numbered as the registry numbers them.
inline constexpr uint32_t kRegNone = 0;
inline constexpr uint32_t kRegSz = 1;
inline constexpr uint32_t kRegExpandSz = 2;
inline constexpr uint32_t kRegBinary = 3;
inline constexpr uint32_t kRegDword = 4;
inline constexpr uint32_t kRegMultiSz = 7;
inline constexpr uint32_t kRegQword = 11;

struct RegValue {
    uint32_t type = kRegNone;
    std::vector<uint8_t> data;  // exactly as stored; its size is the value's data size
};

// The outcome of one registry operation. Nothing is swallowed: every failure comes back here.
struct RegStatus {
    enum Kind {
        Ok,
        NotFound,  // the key or value does not exist
        Failed,    // anything else; `message` says what
    };
    Kind kind = Ok;
    uint32_t code = 0;    // the system's error code behind it, when there is one (2 for NotFound)
    std::string message;  // empty when Ok

    bool ok() const { return kind == Ok; }
};

// An open key. Destroying it closes it.
class RegKey {
public:
    virtual ~RegKey() = default;

    // The value's type and data (any size, also zero).
    virtual RegStatus query(const std::string& name, RegValue& value) = 0;
    // Creates or replaces the value, type included.
    virtual RegStatus set(const std::string& name, const RegValue& value) = 0;
    // NotFound when there is no such value.
    virtual RegStatus remove(const std::string& name) = 0;
};

class Registry {
public:
    virtual ~Registry() = default;

    // Opens an existing key with full access; NotFound when it does not exist. Creates nothing.
    virtual RegStatus openKey(const std::string& path, std::unique_ptr<RegKey>& key) = 0;
    // Opens the key, creating it and any missing parent keys (non-volatile).
    virtual RegStatus createKey(const std::string& path, std::unique_ptr<RegKey>& key) = 0;
};

// The current user's store of this platform: HKEY_CURRENT_USER on Windows; on Linux the files
// under ${XDG_CONFIG_HOME:-$HOME/.config}, where the key "software\Quano\OrvixMouseV1\Config"
// lives in Quano/OrvixMouseV1/Config.reg.
std::unique_ptr<Registry> makeUserRegistry();

}  // namespace orvix
