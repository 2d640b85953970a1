#include "app/autostart/linux/DesktopEntryAutoStart.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <system_error>

#include "app/settings/linux/FileRegistry.h"

namespace orvix {

namespace fs = std::filesystem;

DesktopEntryAutoStart::DesktopEntryAutoStart(fs::path folder)
    : folder_(std::move(folder)), file_(folder_ / "QuanoOrvixMouse.desktop") {}

bool DesktopEntryAutoStart::open() {
    // Opening creates nothing, since the start-up reads through it: a missing autostart folder is
    // made when an entry is written, as desktops do. Only something else in its place counts.
    std::error_code ec;
    fs::file_status status = fs::status(folder_, ec);
    return !fs::exists(status) || fs::is_directory(status);
}

bool DesktopEntryAutoStart::present() {
    std::error_code ec;
    return fs::exists(file_, ec);
}

std::string DesktopEntryAutoStart::execArgument(const std::string& path) {
    // An argument with a reserved character is quoted; inside the quotes ", `, $ and \ are escaped
    // with a backslash. A percent sign is written %% (field codes are expanded inside quotes too).
    // The value is then a desktop-entry string, where a backslash is written \\.
    static const char reserved[] = " \t\n\"'\\><~|&;$*?#()`";
    std::string arg = path;
    if (path.find_first_of(reserved) != std::string::npos) {
        arg = "\"";
        for (char c : path) {
            if (c == '"' || c == '`' || c == '$' || c == '\\') arg += '\\';
            arg += c;
        }
        arg += '"';
    }
    std::string value;
    for (char c : arg) {
        if (c == '%')
            value += "%%";  // a literal percent sign, not a field code
        else if (c == '\\')
            value += "\\\\";
        else if (c == '\n')
            value += "\\n";
        else
            value += c;
    }
    return value;
}

std::string DesktopEntryAutoStart::execLine(const std::string& path) {
    // GLib checks that an entry's program exists before it expands the field codes, so a program
    // path written with %% would make it refuse the entry: such a path reaches the program through
    // the shell, as the shell's own name ($0), still with no argument.
    if (path.find('%') != std::string::npos) return R"(sh -c "exec \\"\\$0\\"" )" + execArgument(path);
    return execArgument(path);
}

bool DesktopEntryAutoStart::write(const std::string& programPath, std::string& error) {
    std::string text =
        "[Desktop Entry]\n"
        "Type=Application\n"
        "Name=Orvix mouse\n"
        "Comment=Configure the buttons of the finger-worn mouse\n"
        "Exec=" +
        execLine(programPath) +
        "\n"
        "Icon=orvix-mouse\n"
        "Terminal=false\n"
        "X-GNOME-Autostart-enabled=true\n";
    std::error_code ec;
    fs::create_directories(folder_, ec);
    if (ec) {
        error = ec.message();
        return false;
    }
    fs::path temporary = file_;
    temporary += ".tmp";
    int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
        error = std::strerror(errno);
        return false;
    }
    bool ok = ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size()) && fsync(fd) == 0;
    if (!ok) error = std::strerror(errno);
    ok = (::close(fd) == 0) && ok;
    if (ok && rename(temporary.c_str(), file_.c_str()) != 0) {
        error = std::strerror(errno);
        ok = false;
    }
    if (!ok) unlink(temporary.c_str());
    return ok;
}

void DesktopEntryAutoStart::remove() {
    std::error_code ec;
    fs::remove(file_, ec);
}

std::unique_ptr<AutoStart> makeAutoStart(Registry&) {
    return std::make_unique<DesktopEntryAutoStart>(userConfigFolder() / "autostart");
}

std::string currentProgramPath() {
    std::error_code ec;
    fs::path self = fs::read_symlink("/proc/self/exe", ec);
    return ec ? std::string() : self.string();
}

}  // namespace orvix
