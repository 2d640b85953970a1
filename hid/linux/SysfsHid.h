#pragma once
// What the Linux backend reads from sysfs, as plain file I/O over a sysfs root folder ("/sys" on a
// running system, a fake tree in tests). No libudev here.
//
// Layout read (Debian's 6.1 kernel):
//   <root>/dev/char/MAJ:MIN                 -> link to the hidraw node's sysfs entry
//   <hidraw entry>/device                   -> link to the HID device, named BBBB:VVVV:PPPP.NNNN
//   <HID device>/uevent                     HID_ID=0003:00000E8F:000000A6, HID_NAME=..., ...
//   <HID device>/report_descriptor          the raw descriptor (equal to HIDIOCGRDESC)
//   <USB device ancestor>/bcdDevice         "0100"; absent for uhid, Bluetooth, I2C devices
//   <HID device>/input/inputN/id/version    "0100"; present when the HID device made input devices

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "hid/HidTypes.h"

namespace orvix::linuxhid {

namespace fs = std::filesystem;

struct HidId {
    uint16_t bus = 0;
    uint16_t vendor = 0;
    uint16_t product = 0;
};

// KEY=VALUE lines; lines without '=' are ignored, a later key replaces an earlier one.
std::map<std::string, std::string> parseUevent(std::string_view text);

// "0003:00000E8F:000000A6" (hex fields). Empty for anything else, and for vendor or product values
// beyond 16 bits, which the port's attributes cannot carry.
std::optional<HidId> parseHidId(std::string_view value);

// A hex number of 1 to 4 digits with an optional trailing newline ("0100\n"), as sysfs prints
// bcdDevice and input id/version.
std::optional<uint16_t> parseHex16(std::string_view text);

// The whole file when it is a regular file of at most `limit` bytes; empty otherwise. Bounded so
// that a wrong path can neither hang (FIFO) nor fill memory.
std::optional<std::string> readSmallFile(const fs::path& file, size_t limit = 65536);

// The HID device a hidraw entry belongs to (its `device` link, resolved). Empty when the link is
// missing or broken.
std::optional<fs::path> hidDeviceOfHidraw(const fs::path& hidrawEntry);

// The sysfs entry of character device MAJ:MIN (<root>/dev/char/MAJ:MIN, resolved).
std::optional<fs::path> charDeviceEntry(const fs::path& sysRoot, unsigned major, unsigned minor);

// Both steps above: from a hidraw node's device number to its HID device.
std::optional<fs::path> hidDeviceOfCharDevice(const fs::path& sysRoot, unsigned major, unsigned minor);

// The version number of a HID device, first rule that gives a value:
//  1. bcdDevice of the nearest USB device above it (a folder with bcdDevice and idVendor),
//     looked for up to <root>/devices;
//  2. id/version of its lowest-numbered input child (the kernel copies the HID version there);
//  3. 0 (uhid or Bluetooth devices that made no input device: the kernel shows no version).
uint16_t readVersionNumber(const fs::path& hidDevice, const fs::path& sysRoot);

// Vendor and product from HID_ID in the HID device's uevent, the version by the rule above.
// Empty when uevent is missing or its HID_ID is missing or malformed.
std::optional<HidAttributes> readHidAttributes(const fs::path& hidDevice, const fs::path& sysRoot);

// The HID device's report_descriptor. Empty when the file is missing or unreadable.
std::optional<std::vector<uint8_t>> readReportDescriptor(const fs::path& hidDevice);

}  // namespace orvix::linuxhid
