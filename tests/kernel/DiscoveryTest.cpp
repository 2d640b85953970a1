// Which of the receiver's interfaces the connection takes, and what the backend reads of them from
// the kernel's sysfs.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "hid/ReportDescriptor.h"
#include "tests/kernel/KernelFixture.h"

namespace orvix::test {
namespace {

namespace fs = std::filesystem;

std::string sysfsText(const fs::path& file) {
    std::ifstream in(file);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// The value of KEY=... in a uevent file.
std::string ueventValue(const fs::path& device, const std::string& key) {
    std::istringstream lines(sysfsText(device / "uevent"));
    for (std::string line; std::getline(lines, line);)
        if (line.rfind(key + "=", 0) == 0) return line.substr(key.size() + 1);
    return {};
}

HidCaps capsOf(const std::vector<uint8_t>& descriptor) {
    ReportDescriptorInfo info;
    EXPECT_TRUE(parseReportDescriptor(descriptor.data(), descriptor.size(), info));
    EXPECT_EQ(info.collections.size(), 1u);
    return info.collections.empty() ? HidCaps{} : info.collections[0].caps;
}

class Discovery : public KernelFixture {
protected:
    void SetUp() override {
        KernelFixture::SetUp();
        ASSERT_TRUE(receiver.plug()) << receiver.error();
        connect();
        ASSERT_TRUE(waitHeld(true));
    }
};

TEST_F(Discovery, TakesTheConfigurationInterfaceAndSkipsTheMouseByItsReportLengths) {
    EXPECT_EQ(heldId(), receiver.config().hidName);
    THidDevice* config = conn->heldDevice();
    EXPECT_EQ(config->PnPInfo().DevicePath, receiver.config().node);
    EXPECT_EQ(config->Caps().InputReportByteLength, 8);
    EXPECT_EQ(config->Caps().OutputReportByteLength, 8);
    EXPECT_TRUE(config->HasReadWriteAccess());
    EXPECT_TRUE(config->IsReading());

    // Same identifiers, other lengths: listed, looked at, left alone.
    THidDevice* mouse = listed(receiver.mouse().hidName);
    ASSERT_NE(mouse, nullptr);
    EXPECT_EQ(mouse->PnPInfo().DevicePath, receiver.mouse().node);
    EXPECT_FALSE(mouse->IsCheckedOut());
    EXPECT_EQ(mouse->Attributes().VendorID, config->Attributes().VendorID);
    EXPECT_EQ(mouse->Attributes().ProductID, config->Attributes().ProductID);
    HidCaps expected = capsOf(bootMouseDescriptor());
    EXPECT_EQ(mouse->Caps().InputReportByteLength, expected.InputReportByteLength);
    EXPECT_EQ(mouse->Caps().OutputReportByteLength, 0);
    EXPECT_NE(mouse->Caps().InputReportByteLength, 8);

    EXPECT_EQ(conn->chid.count(), 2);
    EXPECT_EQ(changes, std::vector<bool>{true});
    EXPECT_EQ(console.caption, "Dev On");
    ASSERT_EQ(linesStartingWith("Dev on->"), 1);
}

// uhid devices have no USB parent: vendor and product come from HID_ID, the version from an input
// device the kernel made for the interface, and is 0 where it made none.
TEST_F(Discovery, IdentityIsWhatSysfsShowsOfTheHidDevice) {
    for (const auto& instance : {receiver.config(), receiver.mouse()}) {
        SCOPED_TRACE(instance.hidName);
        THidDevice* dev = listed(instance.hidName);
        ASSERT_NE(dev, nullptr);
        const fs::path hidDevice = fs::path("/sys/bus/hid/devices") / instance.hidName;
        EXPECT_EQ(fs::canonical(fs::path("/sys/class/hidraw") / fs::path(instance.node).filename() / "device"),
                  fs::canonical(hidDevice));
        EXPECT_EQ(ueventValue(hidDevice, "HID_ID"), "0003:00000E8F:000000A6");
        EXPECT_EQ(dev->Attributes().VendorID, 0x0E8F);
        EXPECT_EQ(dev->Attributes().ProductID, 0x00A6);

        uint16_t version = 0;
        std::error_code ec;
        for (const auto& input : fs::directory_iterator(hidDevice / "input", ec))
            version = static_cast<uint16_t>(std::stoul(sysfsText(input.path() / "id" / "version"), nullptr, 16));
        EXPECT_EQ(dev->Attributes().VersionNumber, version);
    }
    // The mouse made an input device that carries the receiver's version; the vendor-page
    // configuration interface made none.
    EXPECT_EQ(listed(receiver.mouse().hidName)->Attributes().VersionNumber, 0x0100);
    EXPECT_EQ(conn->heldDevice()->Attributes().VersionNumber, 0);
    EXPECT_EQ(console.lines.at(0), "Dev on-> V: E8F P:  A6 N:   0");
}

}  // namespace
}  // namespace orvix::test
