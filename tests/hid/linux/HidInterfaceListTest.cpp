// From listed hidraw nodes to the port's entries: which are kept, their identity and their order.

#include <gtest/gtest.h>

#include <algorithm>

#include "hid/ReportDescriptor.h"
#include "hid/linux/HidInterfaceList.h"
#include "tests/hid/linux/FakeSysfs.h"

namespace orvix::linuxhid {
namespace {

using test::FakeSysfs;
namespace fs = std::filesystem;

TEST(HidNameOrder, SortsByNameThenInstanceAsANumber) {
    // Each row: a before b.
    const std::pair<const char*, const char*> cases[] = {
        {"0003:046D:C52B.0003", "0003:0E8F:00A6.0001"},
        {"0003:0E8F:00A6.0002", "0003:0E8F:00A6.000A"},
        {"0003:0E8F:00A6.FFFF", "0003:0E8F:00A6.10000"},  // past four digits
        {"0003:0E8F:00A6.0002", "0005:0E8F:00A6.0001"},
        {"0003:0E8F:00A6.0010", "0003:0E8F:00A6.zz"},  // unreadable instance last
        {"0003:0E8F:00A6.zz", "0003:0E8F:00A7.0001"},
        {"0003:0E8F:00A6.1z", "0003:0E8F:00A6.zz"},
    };
    for (const auto& [a, b] : cases) {
        SCOPED_TRACE(std::string(a) + " < " + b);
        EXPECT_TRUE(hidNameLess(a, b));
        EXPECT_FALSE(hidNameLess(b, a));
        EXPECT_FALSE(hidNameLess(a, a));
    }
}

class InterfaceEntries : public testing::Test {
protected:
    // A hidraw node: its HID device in the tree, and a stand-in file for /dev/hidrawN.
    HidrawNode node(const std::string& parent, const std::string& name, int number, bool nodeExists = true,
                    std::optional<std::string> descriptor = std::nullopt) {
        fs::path hid = sys.addHid(parent, name, FakeSysfs::uevent("0003:00000E8F:000000A6"), descriptor, number);
        std::string devNode = (sys.root / ("hidraw" + std::to_string(number))).string();
        if (nodeExists) sys.file("hidraw" + std::to_string(number), "");
        return {sys.hidrawEntry(hid, number), devNode};
    }
    FakeSysfs sys;
};

TEST_F(InterfaceEntries, KeepsExistingNodesWithAHidDeviceInHidNameOrder) {
    std::vector<HidrawNode> nodes = {
        node(FakeSysfs::uhid, "0003:0E8F:00A6.000A", 0),  // plugged last, took hidraw0
        node(FakeSysfs::usbInterface, "0003:046D:C52B.0003", 1), node(FakeSysfs::uhid, "0003:0E8F:00A6.0009", 2),
        node(FakeSysfs::uhid, "0003:0E8F:00A6.0004", 3, false),  // node already gone
    };
    // A node whose device link is broken.
    sys.link(std::string(FakeSysfs::uhid) + "/0003:0E8F:00A6.0005/hidraw/hidraw4/device", "../../../nowhere");
    sys.file("hidraw4", "");
    nodes.push_back(
        {sys.root / FakeSysfs::uhid / "0003:0E8F:00A6.0005/hidraw/hidraw4", (sys.root / "hidraw4").string()});
    nodes.push_back({sys.root / "devices/none", ""});  // no device node at all

    auto entries = interfaceEntries(nodes);
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].DeviceID, "0003:046D:C52B.0003");
    EXPECT_EQ(entries[0].DevicePath, (sys.root / "hidraw1").string());
    EXPECT_EQ(entries[1].DeviceID, "0003:0E8F:00A6.0009");
    EXPECT_EQ(entries[1].DevicePath, (sys.root / "hidraw2").string());
    EXPECT_EQ(entries[2].DeviceID, "0003:0E8F:00A6.000A");
    EXPECT_EQ(entries[2].DevicePath, (sys.root / "hidraw0").string());
}

TEST_F(InterfaceEntries, OrderDoesNotDependOnListingOrder) {
    std::vector<HidrawNode> nodes = {
        node(FakeSysfs::uhid, "0003:0E8F:00A6.0002", 0),
        node(FakeSysfs::uhid, "0003:0E8F:00A6.0001", 1),
        node(FakeSysfs::usbInterface, "0003:0E8F:00A6.0003", 2),
    };
    auto forward = interfaceEntries(nodes);
    std::reverse(nodes.begin(), nodes.end());
    auto backward = interfaceEntries(nodes);
    ASSERT_EQ(forward.size(), 3u);
    ASSERT_EQ(backward.size(), 3u);
    for (size_t i = 0; i < forward.size(); ++i) {
        EXPECT_EQ(forward[i].DeviceID, backward[i].DeviceID);
        EXPECT_EQ(forward[i].DevicePath, backward[i].DevicePath);
    }
    EXPECT_EQ(forward[0].DeviceID, "0003:0E8F:00A6.0001");
}

// A node lists one interface per top-level collection, in collection order, named after the node
// and the HID device; a node with one collection, or a descriptor that cannot be read or parsed,
// lists one under its own names.
TEST_F(InterfaceEntries, NodeWithSeveralCollectionsListsOneInterfaceForEach) {
    using test::descriptors::text;
    const std::string shared = text(sharedReceiverDescriptor());
    std::vector<HidrawNode> nodes = {
        node(FakeSysfs::uhid, "0003:0E8F:00A6.0008", 0, true, shared),
        node(FakeSysfs::uhid, "0003:0E8F:00A6.0007", 1, true, text(bootMouseDescriptor())),
        node(FakeSysfs::uhid, "0003:0E8F:00A6.0009", 2, true, shared.substr(0, shared.size() - 1)),  // cut short
        node(FakeSysfs::uhid, "0003:0E8F:00A6.000A", 3, true, std::nullopt),                         // none
        node(FakeSysfs::uhid, "0003:0E8F:00A6.000B", 4, true, text({0x75, 0x08, 0x95, 0x01, 0x81, 0x02})),
    };
    auto path = [&](int number, const char* suffix = "") {
        return (sys.root / ("hidraw" + std::to_string(number))).string() + suffix;
    };
    const std::vector<std::pair<std::string, std::string>> expected = {
        {"0003:0E8F:00A6.0007", path(1)},
        {"0003:0E8F:00A6.0008&col01", path(0, "&col01")},
        {"0003:0E8F:00A6.0008&col02", path(0, "&col02")},
        {"0003:0E8F:00A6.0008&col03", path(0, "&col03")},
        {"0003:0E8F:00A6.0009", path(2)},
        {"0003:0E8F:00A6.000A", path(3)},
        // No collection at all: no interface, as Windows lists none.
    };
    std::vector<std::pair<std::string, std::string>> listed;
    for (const auto& entry : interfaceEntries(nodes)) listed.emplace_back(entry.DeviceID, entry.DevicePath);
    EXPECT_EQ(listed, expected);
}

}  // namespace
}  // namespace orvix::linuxhid
