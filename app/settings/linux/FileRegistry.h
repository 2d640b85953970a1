#pragma once
// The registry's stand-in on Linux: each key of HKEY_CURRENT_USER\software is one .reg file under
// a root folder (the key "software\Quano\OrvixMouseV1\Config" is Quano/OrvixMouseV1/Config.reg),
// and a folder of that name makes a parent key exist, as it does in the registry. Folder and file
// names are looked up without regard to letter case. Every operation looks at the file afresh, so a
// value written by one process is read by the next (a file is parsed again only when it changed);
// every change replaces the file atomically. A file that cannot be parsed, or one far larger than any
// store, is reported and never overwritten.

#include <filesystem>

#include "app/settings/Registry.h"

namespace orvix {

class FileRegistry final : public Registry {
public:
    // root: the folder that stands for HKEY_CURRENT_USER\software.
    explicit FileRegistry(std::filesystem::path root);

    RegStatus openKey(const std::string& path, std::unique_ptr<RegKey>& key) override;
    RegStatus createKey(const std::string& path, std::unique_ptr<RegKey>& key) override;

private:
    std::filesystem::path root_;
};

// ${XDG_CONFIG_HOME:-$HOME/.config} (a relative XDG_CONFIG_HOME is ignored, as the XDG rules say).
std::filesystem::path userConfigFolder();

}  // namespace orvix
