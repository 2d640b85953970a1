// Opening nodes and the sync handle. Real character devices stand in for hidraw nodes: the fake
// sysfs tree maps their device numbers (/dev/null is 1:3, /dev/urandom 1:9) to HID devices.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <thread>

#include "hid/ReportDescriptor.h"
#include "hid/linux/HidrawNode.h"
#include "tests/hid/linux/FakeSysfs.h"

namespace orvix::linuxhid {
namespace {

using test::FakeSysfs;
namespace fs = std::filesystem;
namespace descriptors = test::descriptors;

class HidrawNodes : public testing::Test {
protected:
    // Maps the character device at devPath to a new HID device; returns its folder.
    static fs::path standIn(FakeSysfs& tree, const char* devPath, const std::string& name,
                            std::optional<std::string> uevent, std::optional<std::string> descriptor,
                            const std::string& parent = FakeSysfs::uhid) {
        struct stat st {};
        if (stat(devPath, &st) != 0 || !S_ISCHR(st.st_mode)) {
            ADD_FAILURE() << devPath << " is not a character device here";
            return {};
        }
        fs::path hid = tree.addHid(parent, name, std::move(uevent), std::move(descriptor), 0);
        tree.mapCharDevice(major(st.st_rdev), minor(st.st_rdev), tree.hidrawEntry(hid, 0));
        return hid;
    }
    FakeSysfs sys;
};

TEST_F(HidrawNodes, BothAccessKindsIdentifyTheNodeThroughItsDeviceNumber) {
    standIn(sys, "/dev/null", "0003:0E8F:00A6.0002", FakeSysfs::uevent("0003:00000E8F:000000A6"),
            descriptors::text(descriptors::config), FakeSysfs::usbInterface);
    sys.file(std::string(FakeSysfs::usbInterface) + "/0003:0E8F:00A6.0002/input/input4/id/version", "0111\n");
    for (HidAccess access : {HidAccess::ReadWrite, HidAccess::QueryOnly}) {
        SCOPED_TRACE(access == HidAccess::ReadWrite ? "ReadWrite" : "QueryOnly");
        uint32_t error = 0;
        auto handle = openHidrawSync("/dev/null", access, sys.root, error);
        ASSERT_TRUE(handle) << error;
        HidAttributes attributes;
        ASSERT_TRUE(handle->getAttributes(attributes));
        EXPECT_EQ(attributes.Size, 12u);
        EXPECT_EQ(attributes.VendorID, 0x0E8F);
        EXPECT_EQ(attributes.ProductID, 0x00A6);
        EXPECT_EQ(attributes.VersionNumber, 0x0100);  // the USB device's, not the input child's
        auto preparsed = handle->getPreparsedData();
        ASSERT_TRUE(preparsed);
        HidCaps caps;
        ASSERT_TRUE(preparsed->getCaps(caps));
        EXPECT_EQ(caps.UsagePage, 0xFF00);
        EXPECT_EQ(caps.Usage, 0x0001);
        EXPECT_EQ(caps.InputReportByteLength, 8);
        EXPECT_EQ(caps.OutputReportByteLength, 8);
    }
}

TEST_F(HidrawNodes, WritesGoThroughReadWriteHandlesOnly) {
    standIn(sys, "/dev/null", "0003:0E8F:00A6.0001", FakeSysfs::uevent("0003:00000E8F:000000A6"), std::nullopt);
    const uint8_t report[8] = {0x04, 0x02, 0x01, 0xA4, 0x1F, 0x00, 0x00, 0x3D};
    uint32_t error = 0;
    auto readWrite = openHidrawSync("/dev/null", HidAccess::ReadWrite, sys.root, error);
    ASSERT_TRUE(readWrite);
    size_t written = 99;
    EXPECT_TRUE(readWrite->write(report, sizeof report, written));
    EXPECT_EQ(written, sizeof report);

    auto queryOnly = openHidrawSync("/dev/null", HidAccess::QueryOnly, sys.root, error);
    ASSERT_TRUE(queryOnly);
    written = 99;
    errno = 0;
    EXPECT_FALSE(queryOnly->write(report, sizeof report, written));
    EXPECT_EQ(written, 0u);
    EXPECT_EQ(errno, EBADF);
}

TEST_F(HidrawNodes, HandleWithoutSysfsEntryOrDescriptorAnswersNothing) {
    struct Case {
        const char* name;
        bool mapped;
        std::optional<std::string> uevent;
        std::optional<std::string> descriptor;
        bool attributes;
        bool preparsed;
    } cases[] = {
        {"device number not in sysfs", false, std::nullopt, std::nullopt, false, false},
        {"no report_descriptor", true, FakeSysfs::uevent("0003:00000E8F:000000A6"), std::nullopt, true, false},
        {"no uevent", true, std::nullopt, descriptors::text(descriptors::config), false, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FakeSysfs tree;
        if (c.mapped) standIn(tree, "/dev/null", "0003:0E8F:00A6.0001", c.uevent, c.descriptor);
        uint32_t error = 0;
        auto handle = openHidrawSync("/dev/null", HidAccess::QueryOnly, tree.root, error);
        ASSERT_TRUE(handle);  // the node opens; only the queries fail
        HidAttributes attributes;
        EXPECT_EQ(handle->getAttributes(attributes), c.attributes);
        EXPECT_EQ(handle->getPreparsedData() != nullptr, c.preparsed);
    }
}

TEST_F(HidrawNodes, OpenFailuresGiveTheReason) {
    sys.file("plain", "x");
    const std::pair<std::string, uint32_t> cases[] = {
        {(sys.root / "missing").string(), ENOENT}, {(sys.root / "plain").string(), ENODEV},  // not a character device
    };
    for (const auto& [path, expected] : cases) {
        SCOPED_TRACE(path);
        for (HidAccess access : {HidAccess::ReadWrite, HidAccess::ReadWriteWhenGranted, HidAccess::QueryOnly}) {
            uint32_t error = 0;
            EXPECT_FALSE(openHidrawSync(path, access, sys.root, error));
            EXPECT_EQ(error, expected);
        }
        uint32_t error = 0;
        EXPECT_FALSE(openHidrawRead(path, sys.root, error));
        EXPECT_EQ(error, expected);
    }
}

// Runs body in a child process as an unprivileged user (root passes every permission check);
// returns its exit code.
int unprivileged(const std::function<int()>& body) {
    pid_t child = fork();
    if (child == 0) {
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(125);
        _exit(body());
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 126;
}

// udev sets the seat user's ACL just after a node appears: an open for writing that waits for it is
// tried again while the node is new, until the permission lands; an older node is refused at once.
// The permission lands on a plain file here, so an open that got through it ends in ENODEV.
TEST_F(HidrawNodes, WriteOpenRefusedWhileTheNodeIsNewIsTriedAgain) {
    using namespace std::chrono;
    fs::permissions(sys.root, fs::perms::owner_all | fs::perms::group_exec | fs::perms::others_exec);
    const std::string node = (sys.root / "hidraw0").string();
    enum Timing { Any, Waited, AtOnce };  // waited: a good part of kNodeSettleTime
    const struct {
        const char* name;
        HidAccess access;
        std::string path;
        int landsAfterMs;  // the permission's change, or -1: none comes
        uint32_t expected;
        Timing timing;
    } cases[] = {
        {"new node, permission lands", HidAccess::ReadWriteWhenGranted, node, 150, ENODEV, Any},
        {"new node, no permission comes", HidAccess::ReadWriteWhenGranted, node, -1, EACCES, Waited},
        {"old node", HidAccess::ReadWriteWhenGranted, "/usr/bin/env", -1, EACCES, AtOnce},
        // a scan's open never waits
        {"new node, not waited for", HidAccess::ReadWrite, node, 150, EACCES, AtOnce},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.path == node) {
            sys.file("hidraw0", "x");
            ASSERT_EQ(chmod(node.c_str(), 0), 0);  // its status changes now: a new node
            if (geteuid() == 0) {
                ASSERT_EQ(chown(node.c_str(), 65534, 65534), 0);
            }
        }
        int code = unprivileged([&] {
            std::thread permission;
            if (c.landsAfterMs >= 0)
                permission = std::thread([&] {
                    std::this_thread::sleep_for(milliseconds(c.landsAfterMs));
                    chmod(c.path.c_str(), 0600);
                });
            auto start = steady_clock::now();
            uint32_t error = 0;
            bool opened = openHidrawSync(c.path, c.access, sys.root, error) != nullptr;
            bool waited = steady_clock::now() - start >= kNodeSettleTime / 2;
            if (permission.joinable()) permission.join();
            if (opened) return 124;
            if ((c.timing == Waited && !waited) || (c.timing == AtOnce && waited)) return 123;
            return static_cast<int>(error);
        });
        EXPECT_EQ(code, static_cast<int>(c.expected)) << "124: opened; 123: the wrong time";
    }
}

TEST_F(HidrawNodes, ReadHandleNeedsTheReportDescriptor) {
    uint32_t error = 0;
    EXPECT_FALSE(openHidrawRead("/dev/null", sys.root, error));  // not in sysfs
    EXPECT_EQ(error, uint32_t(ENODEV));
    standIn(sys, "/dev/null", "0003:0E8F:00A6.0001", FakeSysfs::uevent("0003:00000E8F:000000A6"), std::nullopt);
    error = 0;
    EXPECT_FALSE(openHidrawRead("/dev/null", sys.root, error));
    EXPECT_EQ(error, uint32_t(ENODEV));
}

TEST_F(HidrawNodes, ReadHandlePutsAZeroInFrontOnlyForDevicesWithoutReportIds) {
    // /dev/urandom gives random bytes: a first byte that is 0 in every one of 16 reads means the
    // handle put it there.
    const std::pair<const std::vector<uint8_t>*, bool> cases[] = {
        {&descriptors::bootMouse, true},
        {&descriptors::config, false},
    };
    for (const auto& [descriptor, zeroFirst] : cases) {
        SCOPED_TRACE(zeroFirst ? "boot mouse" : "config interface");
        FakeSysfs tree;
        standIn(tree, "/dev/urandom", "0003:0E8F:00A6.0001", FakeSysfs::uevent("0003:00000E8F:000000A6"),
                descriptors::text(*descriptor));
        uint32_t error = 0;
        auto handle = openHidrawRead("/dev/urandom", tree.root, error);
        ASSERT_TRUE(handle) << error;
        bool allZero = true;
        for (int i = 0; i < 16; ++i) {
            uint8_t buffer[4] = {0xEE, 0xEE, 0xEE, 0xEE};
            auto result = handle->read(buffer, sizeof buffer);
            ASSERT_EQ(result.kind, HidReadResult::Data);
            EXPECT_EQ(result.bytes, sizeof buffer);
            allZero = allZero && buffer[0] == 0;
        }
        EXPECT_EQ(allZero, zeroFirst);
    }
}

// The interfaces of one node, one per top-level collection: each gives its own collection's
// capabilities, and its read handle passes on only that collection's report IDs (/dev/urandom
// gives reports of every ID).
TEST_F(HidrawNodes, EachCollectionOfASharedNodeGivesItsOwnCapsAndReports) {
    standIn(sys, "/dev/urandom", "0003:0E8F:00A6.0001", FakeSysfs::uevent("0003:00000E8F:000000A6"),
            descriptors::text(sharedReceiverDescriptor()));
    const struct {
        const char* suffix;
        uint16_t input, output;
        uint8_t reportId;
    } cases[] = {{"&col01", 9, 2, 1}, {"&col02", 3, 0, 3}, {"&col03", 8, 8, 4}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.suffix);
        const std::string path = std::string("/dev/urandom") + c.suffix;
        uint32_t error = 0;
        auto sync = openHidrawSync(path, HidAccess::QueryOnly, sys.root, error);
        ASSERT_TRUE(sync) << error;
        auto preparsed = sync->getPreparsedData();
        ASSERT_TRUE(preparsed);
        HidCaps caps;
        ASSERT_TRUE(preparsed->getCaps(caps));
        EXPECT_EQ(caps.InputReportByteLength, c.input);
        EXPECT_EQ(caps.OutputReportByteLength, c.output);

        auto read = openHidrawRead(path, sys.root, error);
        ASSERT_TRUE(read) << error;
        for (int i = 0; i < 16; ++i) {
            uint8_t buffer[8] = {};
            auto result = read->read(buffer, sizeof buffer);
            ASSERT_EQ(result.kind, HidReadResult::Data);
            EXPECT_EQ(buffer[0], c.reportId);
        }
    }

    // A collection the descriptor does not have: queries give nothing, reads cannot start.
    uint32_t error = 0;
    auto sync = openHidrawSync("/dev/urandom&col04", HidAccess::QueryOnly, sys.root, error);
    ASSERT_TRUE(sync);
    HidCaps caps;
    EXPECT_FALSE(sync->getPreparsedData()->getCaps(caps));
    EXPECT_FALSE(openHidrawRead("/dev/urandom&col04", sys.root, error));
    EXPECT_EQ(error, uint32_t(ENODEV));
}

}  // namespace
}  // namespace orvix::linuxhid
