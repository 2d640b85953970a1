#include "hid/linux/SysfsHid.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>

namespace orvix::linuxhid {

namespace {

std::optional<uint32_t> parseHexField(std::string_view text, size_t maxDigits) {
    if (text.empty() || text.size() > maxDigits) return std::nullopt;
    uint32_t value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, 16);
    if (ec != std::errc{} || end != text.data() + text.size()) return std::nullopt;
    return value;
}

std::optional<fs::path> resolvedDirectory(const fs::path& link) {
    std::error_code ec;
    fs::path target = fs::canonical(link, ec);
    if (ec || !fs::is_directory(target, ec)) return std::nullopt;
    return target;
}

std::optional<uint16_t> readHex16File(const fs::path& file) {
    auto text = readSmallFile(file, 64);
    if (!text) return std::nullopt;
    return parseHex16(*text);
}

// bcdDevice of the nearest USB device above hidDevice. A USB device whose bcdDevice cannot be read
// ends the search: a hub further up would give a wrong version.
std::optional<uint16_t> usbVersion(const fs::path& hidDevice, const fs::path& sysRoot) {
    std::error_code ec;
    fs::path stop = fs::weakly_canonical(sysRoot / "devices", ec);
    if (ec) return std::nullopt;
    fs::path start = fs::canonical(hidDevice, ec);
    if (ec) return std::nullopt;
    for (fs::path dir = start.parent_path(); dir != stop; dir = dir.parent_path()) {
        fs::path rel = dir.lexically_relative(stop);
        if (rel.empty() || *rel.begin() == "..") break;  // left the device tree
        if (fs::exists(dir / "bcdDevice", ec) && fs::exists(dir / "idVendor", ec))
            return readHex16File(dir / "bcdDevice");
    }
    return std::nullopt;
}

// id/version of the lowest-numbered input child that has a readable one.
std::optional<uint16_t> inputVersion(const fs::path& hidDevice) {
    std::error_code ec;
    std::map<unsigned long, fs::path> children;
    for (fs::directory_iterator it(hidDevice / "input", ec), end; !ec && it != end; it.increment(ec)) {
        std::string name = it->path().filename().string();
        if (name.rfind("input", 0) != 0 || name.size() == 5) continue;
        unsigned long number = 0;
        auto [p, err] = std::from_chars(name.data() + 5, name.data() + name.size(), number);
        if (err != std::errc{} || p != name.data() + name.size()) continue;
        children.emplace(number, it->path());
    }
    for (auto& [number, child] : children) {
        if (auto version = readHex16File(child / "id" / "version")) return version;
    }
    return std::nullopt;
}

}  // namespace

std::map<std::string, std::string> parseUevent(std::string_view text) {
    std::map<std::string, std::string> values;
    while (!text.empty()) {
        size_t eol = text.find('\n');
        std::string_view line = text.substr(0, eol);
        text = eol == std::string_view::npos ? std::string_view{} : text.substr(eol + 1);
        size_t eq = line.find('=');
        if (eq == std::string_view::npos || eq == 0) continue;
        values[std::string(line.substr(0, eq))] = std::string(line.substr(eq + 1));
    }
    return values;
}

std::optional<HidId> parseHidId(std::string_view value) {
    size_t first = value.find(':');
    if (first == std::string_view::npos) return std::nullopt;
    size_t second = value.find(':', first + 1);
    if (second == std::string_view::npos) return std::nullopt;
    auto bus = parseHexField(value.substr(0, first), 4);
    auto vendor = parseHexField(value.substr(first + 1, second - first - 1), 8);
    auto product = parseHexField(value.substr(second + 1), 8);
    if (!bus || !vendor || !product || *vendor > 0xFFFF || *product > 0xFFFF) return std::nullopt;
    return HidId{static_cast<uint16_t>(*bus), static_cast<uint16_t>(*vendor), static_cast<uint16_t>(*product)};
}

std::optional<uint16_t> parseHex16(std::string_view text) {
    if (!text.empty() && text.back() == '\n') text.remove_suffix(1);
    auto value = parseHexField(text, 4);
    if (!value) return std::nullopt;
    return static_cast<uint16_t>(*value);
}

std::optional<std::string> readSmallFile(const fs::path& file, size_t limit) {
    // O_NONBLOCK: opening a FIFO must not wait for a writer; it is then refused as not regular.
    int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return std::nullopt;
    struct stat st {};
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return std::nullopt;
    }
    // sysfs gives no true size (attributes claim 4096 bytes): read to the end.
    std::string data;
    char chunk[4096];
    for (;;) {
        ssize_t n = ::read(fd, chunk, sizeof chunk);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 || data.size() + static_cast<size_t>(n) > limit) {
            ::close(fd);
            return std::nullopt;
        }
        if (n == 0) break;
        data.append(chunk, static_cast<size_t>(n));
    }
    ::close(fd);
    return data;
}

std::optional<fs::path> hidDeviceOfHidraw(const fs::path& hidrawEntry) {
    return resolvedDirectory(hidrawEntry / "device");
}

std::optional<fs::path> charDeviceEntry(const fs::path& sysRoot, unsigned major, unsigned minor) {
    return resolvedDirectory(sysRoot / "dev" / "char" / (std::to_string(major) + ":" + std::to_string(minor)));
}

std::optional<fs::path> hidDeviceOfCharDevice(const fs::path& sysRoot, unsigned major, unsigned minor) {
    auto entry = charDeviceEntry(sysRoot, major, minor);
    if (!entry) return std::nullopt;
    return hidDeviceOfHidraw(*entry);
}

uint16_t readVersionNumber(const fs::path& hidDevice, const fs::path& sysRoot) {
    if (auto version = usbVersion(hidDevice, sysRoot)) return *version;
    if (auto version = inputVersion(hidDevice)) return *version;
    return 0;
}

std::optional<HidAttributes> readHidAttributes(const fs::path& hidDevice, const fs::path& sysRoot) {
    auto uevent = readSmallFile(hidDevice / "uevent");
    if (!uevent) return std::nullopt;
    auto values = parseUevent(*uevent);
    auto it = values.find("HID_ID");
    if (it == values.end()) return std::nullopt;
    auto id = parseHidId(it->second);
    if (!id) return std::nullopt;
    HidAttributes attributes;
    attributes.VendorID = id->vendor;
    attributes.ProductID = id->product;
    attributes.VersionNumber = readVersionNumber(hidDevice, sysRoot);
    return attributes;
}

std::optional<std::vector<uint8_t>> readReportDescriptor(const fs::path& hidDevice) {
    auto data = readSmallFile(hidDevice / "report_descriptor");
    if (!data) return std::nullopt;
    return std::vector<uint8_t>(data->begin(), data->end());
}

}  // namespace orvix::linuxhid
