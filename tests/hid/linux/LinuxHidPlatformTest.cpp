// The platform as the controller sees it. This machine has no hidraw nodes: real devices are
// covered by the kernel tier.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

#include "hid/linux/LinuxHidPlatform.h"
#include "tests/hid/linux/FakeSysfs.h"
#include "tests/support/TestLoop.h"

namespace orvix::linuxhid {
namespace {

using namespace std::chrono_literals;
using test::FakeSysfs;
namespace fs = std::filesystem;

TEST(MonitorSource, UdevWhenUdevdRunsOtherwiseKernel) {
    FakeSysfs run;  // any empty folder serves as /run
    EXPECT_EQ(monitorSourceName(run.root), "kernel");
    EXPECT_EQ(monitorSourceName(run.root / "missing"), "kernel");
    run.file("udev/data/c244:0", "");
    EXPECT_EQ(monitorSourceName(run.root), "kernel");  // udev's folder alone: udevd has gone
    run.file("udev/control", "");
    EXPECT_EQ(monitorSourceName(run.root), "udev");
}

class Platform : public testing::Test {
protected:
    test::TestLoop loop;
    FakeSysfs sys;
    std::vector<int32_t> calls;
    HidPlatform::Notify record() {
        return [this](int32_t trigger) { calls.push_back(trigger); };
    }
};

TEST_F(Platform, StartUpCallComesOnceAndNothingAfterStopOrDestruction) {
    LinuxHidPlatform platform(loop, sys.root, sys.root);
    ASSERT_TRUE(platform.usable());
    platform.startNotifications(record());
    ASSERT_TRUE(loop.runUntil([&] { return !calls.empty(); }, 2s));
    platform.stopNotifications();
    platform.stopNotifications();  // twice is harmless
    loop.runFor(30ms);
    EXPECT_EQ(calls, (std::vector<int32_t>{-1}));

    calls.clear();
    platform.startNotifications(record());
    platform.stopNotifications();
    loop.runFor(30ms);
    EXPECT_TRUE(calls.empty());

    {
        LinuxHidPlatform gone(loop, sys.root, sys.root);
        gone.startNotifications(record());
    }
    loop.runFor(30ms);
    EXPECT_TRUE(calls.empty());
}

TEST_F(Platform, ScanListsOnlyNodesThatExist) {
    auto factoryMade = makeNativeHidPlatform(loop);
    ASSERT_TRUE(factoryMade);
    for (const auto& entry : factoryMade->scanInterfaces()) {
        SCOPED_TRACE(entry.DevicePath);
        struct stat st {};
        EXPECT_EQ(stat(entry.DevicePath.c_str(), &st), 0);
        EXPECT_FALSE(entry.DeviceID.empty());
    }
}

TEST_F(Platform, HandlesReadTheGivenSysfsRoot) {
    struct stat st {};
    ASSERT_EQ(stat("/dev/null", &st), 0);
    fs::path hid = sys.addHid(FakeSysfs::uhid, "0003:0E8F:00A6.0001", FakeSysfs::uevent("0003:00000E8F:000000A6"),
                              test::descriptors::text(test::descriptors::config), 0);
    sys.mapCharDevice(major(st.st_rdev), minor(st.st_rdev), sys.hidrawEntry(hid, 0));
    LinuxHidPlatform platform(loop, sys.root, sys.root);
    uint32_t error = 0;
    auto handle = platform.openSync("/dev/null", HidAccess::QueryOnly, error);
    ASSERT_TRUE(handle) << error;
    HidAttributes attributes;
    ASSERT_TRUE(handle->getAttributes(attributes));
    EXPECT_EQ(attributes.VendorID, 0x0E8F);
    EXPECT_TRUE(platform.openRead("/dev/null", error));
    EXPECT_FALSE(platform.openRead("/dev/hidraw-missing", error));
    EXPECT_EQ(error, uint32_t(ENOENT));
}

// The rule matches what sysfs shows: four lower-case hex digits each.
TEST_F(Platform, WriteAccessHintGivesTheUdevRuleForTheDevice) {
    LinuxHidPlatform platform(loop, sys.root, sys.root);
    const struct {
        uint16_t vendor, product;
        const char* ids;
    } cases[] = {
        {0x0E8F, 0x00A6, "ATTRS{idVendor}==\"0e8f\", ATTRS{idProduct}==\"00a6\""},
        {0x1234, 0x0001, "ATTRS{idVendor}==\"1234\", ATTRS{idProduct}==\"0001\""},
        {0xABCD, 0xEF01, "ATTRS{idVendor}==\"abcd\", ATTRS{idProduct}==\"ef01\""},
    };
    for (const auto& c : cases) {
        HidAttributes attributes;
        attributes.VendorID = c.vendor;
        attributes.ProductID = c.product;
        EXPECT_EQ(platform.writeAccessHint(attributes),
                  std::string("No write access. A udev rule grants it to the user at the seat (a remote login does "
                              "not get it); the orvix-mouse package installs one. By hand: put this line into "
                              "/etc/udev/rules.d/70-orvix-mouse.rules, then run \"sudo udevadm control --reload && "
                              "sudo udevadm trigger --subsystem-match=hidraw --action=change\" (no replug needed): "
                              "SUBSYSTEM==\"hidraw\", ") +
                      c.ids + ", TAG+=\"uaccess\"");
    }
}

}  // namespace
}  // namespace orvix::linuxhid
