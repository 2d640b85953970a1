#pragma once
// Linux: ${XDG_CONFIG_HOME:-$HOME/.config}/autostart/QuanoOrvixMouse.desktop, a desktop entry
// whose Exec runs the program without arguments. Written atomically.

#include <filesystem>

#include "app/autostart/AutoStart.h"

namespace orvix {

class DesktopEntryAutoStart final : public AutoStart {
public:
    explicit DesktopEntryAutoStart(std::filesystem::path folder);

    bool open() override;
    bool present() override;
    bool write(const std::string& programPath, std::string& error) override;
    void remove() override;

    const std::filesystem::path& file() const { return file_; }

    // The program path as one argument of an Exec line, quoted by the desktop entry rules.
    static std::string execArgument(const std::string& path);
    // The whole Exec value that runs the program with no argument.
    static std::string execLine(const std::string& path);

private:
    std::filesystem::path folder_;
    std::filesystem::path file_;
};

}  // namespace orvix
