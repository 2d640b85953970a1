#pragma once
// The current user's registry: every key is opened with full access (KEY_ALL_ACCESS), for
// reading as for writing.

#include "app/settings/Registry.h"

namespace orvix {

class WindowsRegistry final : public Registry {
public:
    RegStatus openKey(const std::string& path, std::unique_ptr<RegKey>& key) override;
    RegStatus createKey(const std::string& path, std::unique_ptr<RegKey>& key) override;
};

}  // namespace orvix
