#include "app/settings/windows/WindowsRegistry.h"

#include <windows.h>

#include "core/windows/WinText.h"

namespace orvix {

namespace {

// The system's sentence, without its full stop: it ends a message of ours.
std::string systemText(LONG code) {
    std::string reason = win::systemMessage(static_cast<unsigned long>(code));
    if (!reason.empty() && reason.back() == '.') reason.pop_back();
    return reason;
}

RegStatus status(LONG code, const std::string& what) {
    if (code == ERROR_SUCCESS) return {};
    RegStatus s;
    s.kind = code == ERROR_FILE_NOT_FOUND ? RegStatus::NotFound : RegStatus::Failed;
    s.code = static_cast<uint32_t>(code);
    s.message = what + ": " + systemText(code);
    return s;
}

class WinRegKey final : public RegKey {
public:
    WinRegKey(HKEY key, std::string path) : key_(key), path_(std::move(path)) {}
    ~WinRegKey() override { RegCloseKey(key_); }

    RegStatus query(const std::string& name, RegValue& value) override {
        std::wstring n = win::widen(name);
        DWORD type = REG_NONE, size = 0;
        LONG rc = RegQueryValueExW(key_, n.c_str(), nullptr, &type, nullptr, &size);
        std::vector<uint8_t> data;
        // The value may grow between the two calls: ask again with the new size.
        for (int attempt = 0; rc == ERROR_SUCCESS && size > 0 && attempt < 8; ++attempt) {
            data.resize(size);
            DWORD got = size;
            rc = RegQueryValueExW(key_, n.c_str(), nullptr, &type, data.data(), &got);
            if (rc == ERROR_MORE_DATA) {
                size = got;
                rc = ERROR_SUCCESS;
                continue;
            }
            data.resize(got);
            break;
        }
        if (rc != ERROR_SUCCESS) return status(rc, about(name));
        value = {type, std::move(data)};
        return {};
    }

    RegStatus set(const std::string& name, const RegValue& value) override {
        LONG rc =
            RegSetValueExW(key_, win::widen(name).c_str(), 0, value.type,
                           value.data.empty() ? nullptr : value.data.data(), static_cast<DWORD>(value.data.size()));
        return status(rc, about(name));
    }

    RegStatus remove(const std::string& name) override {
        return status(RegDeleteValueW(key_, win::widen(name).c_str()), about(name));
    }

private:
    std::string about(const std::string& name) const { return "\"" + name + "\" in HKEY_CURRENT_USER\\" + path_; }

    HKEY key_;
    std::string path_;
};

}  // namespace

RegStatus WindowsRegistry::openKey(const std::string& path, std::unique_ptr<RegKey>& key) {
    key.reset();
    HKEY h = nullptr;
    LONG rc = RegOpenKeyExW(HKEY_CURRENT_USER, win::widen(path).c_str(), 0, KEY_ALL_ACCESS, &h);
    if (rc != ERROR_SUCCESS) return status(rc, "HKEY_CURRENT_USER\\" + path);
    key = std::make_unique<WinRegKey>(h, path);
    return {};
}

RegStatus WindowsRegistry::createKey(const std::string& path, std::unique_ptr<RegKey>& key) {
    key.reset();
    HKEY h = nullptr;
    LONG rc = RegCreateKeyExW(HKEY_CURRENT_USER, win::widen(path).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                              KEY_ALL_ACCESS, nullptr, &h, nullptr);
    if (rc != ERROR_SUCCESS) return status(rc, "HKEY_CURRENT_USER\\" + path);
    key = std::make_unique<WinRegKey>(h, path);
    return {};
}

std::unique_ptr<Registry> makeUserRegistry() { return std::make_unique<WindowsRegistry>(); }

}  // namespace orvix
