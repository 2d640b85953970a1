#pragma once
// A small sysfs tree in a temporary folder, laid out as Debian's 6.1 kernel lays out HID devices:
// a receiver on USB (root hub usb1, device 1-2 with bcdDevice, interface 1-2:1.1) and a uhid
// parent without USB ancestor.

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace orvix::test {

namespace fs = std::filesystem;

class FakeSysfs {
public:
    static constexpr const char* usbInterface = "devices/pci0000:00/0000:00:14.0/usb1/1-2/1-2:1.1";
    static constexpr const char* uhid = "devices/virtual/misc/uhid";

    FakeSysfs() {
        std::string pattern = (fs::temp_directory_path() / "orvix-sysfs-XXXXXX").string();
        if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp");
        root = fs::canonical(pattern);
        file("devices/pci0000:00/0000:00:14.0/usb1/bcdDevice", "0601\n");  // root hub: never the answer
        file("devices/pci0000:00/0000:00:14.0/usb1/idVendor", "1d6b\n");
        file("devices/pci0000:00/0000:00:14.0/usb1/1-2/bcdDevice", "0100\n");
        file("devices/pci0000:00/0000:00:14.0/usb1/1-2/idVendor", "0e8f\n");
        file(std::string(usbInterface) + "/bInterfaceNumber", "01\n");
        fs::create_directories(root / uhid);
    }
    ~FakeSysfs() {
        std::error_code ec;
        fs::remove_all(root, ec);
    }
    FakeSysfs(const FakeSysfs&) = delete;
    FakeSysfs& operator=(const FakeSysfs&) = delete;

    void file(const std::string& rel, const std::string& content) const {
        fs::create_directories((root / rel).parent_path());
        std::ofstream(root / rel, std::ios::binary) << content;
    }
    void link(const std::string& rel, const fs::path& target) const {
        fs::create_directories((root / rel).parent_path());
        fs::create_symlink(target, root / rel);
    }

    // A HID device `name` under `parent` with a hidraw entry linked back to it and listed in
    // dev/char as 244:hidrawNumber. uevent and descriptor are left out when empty. Returns the HID
    // device's folder.
    fs::path addHid(const std::string& parent, const std::string& name, std::optional<std::string> uevent,
                    std::optional<std::string> descriptor, int hidrawNumber) const {
        std::string hid = parent + "/" + name;
        fs::create_directories(root / hid);
        if (uevent) file(hid + "/uevent", *uevent);
        if (descriptor) file(hid + "/report_descriptor", *descriptor);
        std::string hidraw = hid + "/hidraw/hidraw" + std::to_string(hidrawNumber);
        link(hidraw + "/device", "../../../" + name);
        link("dev/char/244:" + std::to_string(hidrawNumber), relativeFromDevChar(hidraw));
        return root / hid;
    }

    fs::path hidrawEntry(const fs::path& hidDevice, int hidrawNumber) const {
        return hidDevice / "hidraw" / ("hidraw" + std::to_string(hidrawNumber));
    }

    // Points dev/char/MAJ:MIN at a hidraw entry, for real character devices such as /dev/null.
    void mapCharDevice(unsigned major, unsigned minor, const fs::path& hidrawEntryPath) const {
        link("dev/char/" + std::to_string(major) + ":" + std::to_string(minor),
             relativeFromDevChar(fs::relative(hidrawEntryPath, root).string()));
    }

    static std::string uevent(const std::string& hidId, const std::string& name = "Quano Receiver") {
        return "DRIVER=hid-generic\nHID_ID=" + hidId + "\nHID_NAME=" + name +
               "\nHID_PHYS=usb-0000:00:14.0-2/input1\nHID_UNIQ=\nMODALIAS=hid:b0003g0001v00000E8Fp000000A6\n";
    }

    fs::path root;

private:
    static std::string relativeFromDevChar(const std::string& rel) { return "../../" + rel; }
};

// Report descriptors used across the tests.
namespace descriptors {
// Vendor page 0xFF00, report ID 4, 7 data bytes in and out: 8-byte reports.
inline const std::vector<uint8_t> config = {0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01, 0x85, 0x04,
                                            0x15, 0x00, 0x26, 0xFF, 0x00, 0x75, 0x08, 0x95, 0x07,
                                            0x09, 0x01, 0x81, 0x02, 0x09, 0x01, 0x91, 0x02, 0xC0};
// Boot mouse: three buttons and X/Y, no report IDs.
inline const std::vector<uint8_t> bootMouse = {
    0x05, 0x01, 0x09, 0x02, 0xA1, 0x01, 0x09, 0x01, 0xA1, 0x00, 0x05, 0x09, 0x19, 0x01, 0x29, 0x03, 0x15,
    0x00, 0x25, 0x01, 0x95, 0x03, 0x75, 0x01, 0x81, 0x02, 0x95, 0x01, 0x75, 0x05, 0x81, 0x01, 0x05, 0x01,
    0x09, 0x30, 0x09, 0x31, 0x15, 0x81, 0x25, 0x7F, 0x75, 0x08, 0x95, 0x02, 0x81, 0x06, 0xC0, 0xC0};
inline std::string text(const std::vector<uint8_t>& bytes) { return std::string(bytes.begin(), bytes.end()); }
}  // namespace descriptors

}  // namespace orvix::test
