// The sysfs reading of the Linux backend, against a fake tree.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <functional>

#include "hid/linux/SysfsHid.h"
#include "tests/hid/linux/FakeSysfs.h"

namespace orvix::linuxhid {
namespace {

using test::FakeSysfs;

// --- HID_ID and hex values -------------------------------------------------------------------

struct HidIdCase {
    const char* text;
    std::optional<HidId> expected;
};

TEST(SysfsParse, HidIdTakesBusVendorProductAndRefusesWhatDoesNotFit) {
    const HidIdCase cases[] = {
        {"0003:00000E8F:000000A6", HidId{0x0003, 0x0E8F, 0x00A6}},
        {"0003:00000e8f:000000a6", HidId{0x0003, 0x0E8F, 0x00A6}},
        {"0005:0000046D:0000B01A", HidId{0x0005, 0x046D, 0xB01A}},
        {"0018:0000FFFF:0000FFFF", HidId{0x0018, 0xFFFF, 0xFFFF}},
        {"", std::nullopt},
        {"0003:00000E8F", std::nullopt},
        {"0003:00000E8F:000000A6:0001", std::nullopt},
        {"0003::000000A6", std::nullopt},
        {"0003:00000E8F:", std::nullopt},
        {"0003:0000XE8F:000000A6", std::nullopt},
        {"0003:00010E8F:000000A6", std::nullopt},  // vendor beyond 16 bits: would alias 0E8F
        {"0003:00000E8F:000100A6", std::nullopt},
        {"0003:000000E8F0:000000A6", std::nullopt},  // nine digits
        {" 0003:00000E8F:000000A6", std::nullopt},
        {"0003:00000E8F:000000A6 ", std::nullopt},
        {"0003:-0000E8F:000000A6", std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        auto id = parseHidId(c.text);
        ASSERT_EQ(id.has_value(), c.expected.has_value());
        if (!id) continue;
        EXPECT_EQ(id->bus, c.expected->bus);
        EXPECT_EQ(id->vendor, c.expected->vendor);
        EXPECT_EQ(id->product, c.expected->product);
    }
}

TEST(SysfsParse, Hex16AcceptsSysfsNumbersOnly) {
    const std::pair<const char*, std::optional<uint16_t>> cases[] = {
        {"0100\n", 0x0100},         {"0100", 0x0100},         {"ffff\n", 0xFFFF},        {"1\n", 0x0001},
        {"", std::nullopt},         {"\n", std::nullopt},     {"10000\n", std::nullopt}, {"01 0\n", std::nullopt},
        {"0100\n\n", std::nullopt}, {"0x10\n", std::nullopt}, {"zz\n", std::nullopt},
    };
    for (const auto& [text, expected] : cases) {
        SCOPED_TRACE(testing::PrintToString(std::string(text)));
        EXPECT_EQ(parseHex16(text), expected);
    }
}

TEST(SysfsParse, UeventSplitsAtTheFirstEqualsSignAndSkipsOtherLines) {
    auto values = parseUevent(
        "DRIVER=hid-generic\nHID_NAME=Name = with sign\ngarbage\n=novalue\nHID_UNIQ=\n"
        "HID_ID=0003:00000001:00000002\nHID_ID=0003:00000E8F:000000A6");
    EXPECT_EQ(values["DRIVER"], "hid-generic");
    EXPECT_EQ(values["HID_NAME"], "Name = with sign");
    EXPECT_EQ(values["HID_UNIQ"], "");
    EXPECT_EQ(values["HID_ID"], "0003:00000E8F:000000A6");  // the last one, even without a newline
    EXPECT_EQ(values.count("garbage"), 0u);
    EXPECT_EQ(values.count(""), 0u);
}

// --- attributes from a tree ------------------------------------------------------------------

class SysfsTree : public testing::Test {
protected:
    FakeSysfs sys;
};

struct AttributesCase {
    const char* name;
    std::string parent;                                      // folder holding the HID device
    std::optional<std::string> uevent;                       // left out when empty
    std::vector<std::pair<std::string, std::string>> files;  // more files, relative to the HID device
    std::optional<HidAttributes> expected;
};

TEST_F(SysfsTree, AttributesFollowTheVersionRuleAndRefuseBrokenUevents) {
    const std::string usb = FakeSysfs::usbInterface;
    const std::string uhid = FakeSysfs::uhid;
    const std::string ok = FakeSysfs::uevent("0003:00000E8F:000000A6");
    sys.file("devices/pci0000:00/0000:00:14.0/usb1/1-3/bcdDevice", "zz\n");
    sys.file("devices/pci0000:00/0000:00:14.0/usb1/1-3/idVendor", "0e8f\n");
    const std::string badUsb = "devices/pci0000:00/0000:00:14.0/usb1/1-3/1-3:1.0";
    const AttributesCase cases[] = {
        {"usb device's bcdDevice wins over the input child",
         usb,
         ok,
         {{"input/input12/id/version", "0111\n"}},
         HidAttributes{12, 0x0E8F, 0x00A6, 0x0100}},
        {"uhid takes its input child's version",
         uhid,
         ok,
         {{"input/input3/id/version", "0111\n"}},
         HidAttributes{12, 0x0E8F, 0x00A6, 0x0111}},
        {"lowest input number, compared as a number",
         uhid,
         ok,
         {{"input/input12/id/version", "0333\n"}, {"input/input7/id/version", "0222\n"}},
         HidAttributes{12, 0x0E8F, 0x00A6, 0x0222}},
        {"unreadable input version is skipped",
         uhid,
         ok,
         {{"input/input1/id/version", "v1\n"}, {"input/input2/id/version", "0444\n"}},
         HidAttributes{12, 0x0E8F, 0x00A6, 0x0444}},
        {"uhid without input child has version 0", uhid, ok, {}, HidAttributes{12, 0x0E8F, 0x00A6, 0}},
        {"unreadable bcdDevice never climbs to the root hub", badUsb, ok, {}, HidAttributes{12, 0x0E8F, 0x00A6, 0}},
        {"other bus, vendor and product",
         uhid,
         FakeSysfs::uevent("0005:0000046D:0000B01A"),
         {},
         HidAttributes{12, 0x046D, 0xB01A, 0}},
        {"missing uevent", uhid, std::nullopt, {}, std::nullopt},
        {"uevent without HID_ID", uhid, std::string("DRIVER=hid-generic\nHID_NAME=x\n"), {}, std::nullopt},
        {"malformed HID_ID", usb, std::string("HID_ID=0003:00000E8F\n"), {}, std::nullopt},
        {"empty uevent", usb, std::string(), {}, std::nullopt},
    };
    int instance = 1;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        char name[32];
        snprintf(name, sizeof name, "0003:0E8F:00A6.%04X", instance);
        fs::path hid = sys.addHid(c.parent, name, c.uevent, std::nullopt, instance);
        ++instance;
        for (const auto& [rel, content] : c.files) sys.file(fs::relative(hid / rel, sys.root).string(), content);
        auto attributes = readHidAttributes(hid, sys.root);
        ASSERT_EQ(attributes.has_value(), c.expected.has_value());
        if (!attributes) continue;
        EXPECT_EQ(attributes->VendorID, c.expected->VendorID);
        EXPECT_EQ(attributes->ProductID, c.expected->ProductID);
        EXPECT_EQ(attributes->VersionNumber, c.expected->VersionNumber);
    }
}

TEST_F(SysfsTree, VersionIsReadFromTheHidDevicesRealPlace) {
    // Reached through dev/char, as a handle finds it: the path is resolved, so the USB ancestors count.
    fs::path hid = sys.addHid(FakeSysfs::usbInterface, "0003:0E8F:00A6.0001",
                              FakeSysfs::uevent("0003:00000E8F:000000A6"), std::nullopt, 0);
    auto viaLink = hidDeviceOfCharDevice(sys.root, 244, 0);
    ASSERT_TRUE(viaLink);
    EXPECT_EQ(*viaLink, hid);
    EXPECT_EQ(readVersionNumber(sys.root / "dev/char/244:0/device", sys.root), 0x0100);
}

// --- report descriptor -----------------------------------------------------------------------

TEST_F(SysfsTree, ReportDescriptorIsReadByteForByte) {
    std::string binary("\x06\x00\xFF\x0A\x0D\x00\xC0", 7);  // NUL, newline and CR bytes kept
    const std::pair<std::optional<std::string>, std::optional<std::vector<uint8_t>>> cases[] = {
        {binary, std::vector<uint8_t>(binary.begin(), binary.end())},
        {test::descriptors::text(test::descriptors::config), test::descriptors::config},
        {std::string(), std::vector<uint8_t>{}},
        {std::nullopt, std::nullopt},
    };
    int instance = 1;
    for (const auto& [content, expected] : cases) {
        SCOPED_TRACE(instance);
        fs::path hid = sys.addHid(FakeSysfs::uhid, "0003:0E8F:00A6.000" + std::to_string(instance), std::nullopt,
                                  content, instance);
        ++instance;
        EXPECT_EQ(readReportDescriptor(hid), expected);
    }
}

TEST_F(SysfsTree, SmallFileReaderRefusesWhatIsNotABoundedRegularFile) {
    sys.file("big", std::string(70000, 'x'));
    sys.file("exact", std::string(10, 'x'));
    ASSERT_EQ(mkfifo((sys.root / "fifo").c_str(), 0600), 0);
    EXPECT_FALSE(readSmallFile(sys.root / "big"));
    EXPECT_EQ(readSmallFile(sys.root / "exact", 10), std::string(10, 'x'));
    EXPECT_FALSE(readSmallFile(sys.root / "exact", 9));
    EXPECT_FALSE(readSmallFile(sys.root / "fifo"));  // must not wait for a writer
    EXPECT_FALSE(readSmallFile(sys.root / "devices"));
    EXPECT_FALSE(readSmallFile(sys.root / "missing"));
}

// --- links -----------------------------------------------------------------------------------

TEST_F(SysfsTree, HidrawEntryLeadsToItsHidDeviceUnlessTheLinkIsBroken) {
    fs::path usbHid = sys.addHid(FakeSysfs::usbInterface, "0003:0E8F:00A6.0007", std::nullopt, std::nullopt, 3);
    fs::path uhidHid = sys.addHid(FakeSysfs::uhid, "0003:0E8F:00A6.0001", std::nullopt, std::nullopt, 0);
    sys.link(std::string(FakeSysfs::uhid) + "/0003:0E8F:00A6.0002/hidraw/hidraw1/device", "../../../gone");
    fs::create_directories(sys.root / FakeSysfs::uhid / "0003:0E8F:00A6.0004/hidraw/hidraw2");
    sys.file("devices/virtual/misc/uhid/target-file", "x");
    sys.link(std::string(FakeSysfs::uhid) + "/0003:0E8F:00A6.0005/hidraw/hidraw5/device", "../../../target-file");
    sys.link("dev/char/244:1", "../../" + std::string(FakeSysfs::uhid) + "/0003:0E8F:00A6.0002/hidraw/hidraw1");
    sys.link("dev/char/244:9", "../../devices/nowhere");

    const std::pair<std::string, std::optional<fs::path>> byEntry[] = {
        {std::string(FakeSysfs::usbInterface) + "/0003:0E8F:00A6.0007/hidraw/hidraw3", usbHid},
        {std::string(FakeSysfs::uhid) + "/0003:0E8F:00A6.0001/hidraw/hidraw0", uhidHid},
        {std::string(FakeSysfs::uhid) + "/0003:0E8F:00A6.0002/hidraw/hidraw1", std::nullopt},  // broken
        {std::string(FakeSysfs::uhid) + "/0003:0E8F:00A6.0004/hidraw/hidraw2", std::nullopt},  // missing
        {std::string(FakeSysfs::uhid) + "/0003:0E8F:00A6.0005/hidraw/hidraw5", std::nullopt},  // not a folder
    };
    for (const auto& [rel, expected] : byEntry) {
        SCOPED_TRACE(rel);
        EXPECT_EQ(hidDeviceOfHidraw(sys.root / rel), expected);
    }

    const std::tuple<unsigned, unsigned, std::optional<fs::path>> byNumber[] = {
        {244, 3, usbHid},       {244, 0, uhidHid},      {244, 1, std::nullopt},
        {244, 9, std::nullopt}, {244, 7, std::nullopt}, {1, 3, std::nullopt},
    };
    for (const auto& [major, minor, expected] : byNumber) {
        SCOPED_TRACE(std::to_string(major) + ":" + std::to_string(minor));
        EXPECT_EQ(hidDeviceOfCharDevice(sys.root, major, minor), expected);
    }
    EXPECT_EQ(charDeviceEntry(sys.root, 244, 3), usbHid / "hidraw/hidraw3");
}

}  // namespace
}  // namespace orvix::linuxhid
