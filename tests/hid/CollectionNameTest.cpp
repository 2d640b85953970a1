// The names of the interfaces of a device with several top-level collections.

#include <gtest/gtest.h>

#include "hid/CollectionName.h"

namespace orvix {
namespace {

TEST(CollectionName, NamesRoundTripAndOnlyTheirOwnFormIsSplit) {
    EXPECT_EQ(collectionName("/dev/hidraw3", 0), "/dev/hidraw3&col01");
    EXPECT_EQ(collectionName("0003:0E8F:00A6.000B", 11), "0003:0E8F:00A6.000B&col12");
    EXPECT_EQ(collectionName("x", 254), "x&col255");

    const struct {
        const char* name;
        const char* device;
        size_t collection;
    } cases[] = {
        {"/dev/hidraw3&col01", "/dev/hidraw3", 0},
        {"/dev/hidraw3&col03", "/dev/hidraw3", 2},
        {"0003:0E8F:00A6.0001&col255", "0003:0E8F:00A6.0001", 254},
        {"a&col01&col02", "a&col01", 1},
        // A device's own name, whatever it holds.
        {"/dev/hidraw3", "/dev/hidraw3", 0},
        {"x&col00", "x&col00", 0},
        {"x&col1", "x&col1", 0},
        {"x&col001", "x&col001", 0},
        {"x&col256", "x&col256", 0},
        {"x&col+1", "x&col+1", 0},
        {"x&col02 ", "x&col02 ", 0},
        {"x&col", "x&col", 0},
        {"", "", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CollectionName split = splitCollectionName(c.name);
        EXPECT_EQ(split.device, c.device);
        EXPECT_EQ(split.collection, c.collection);
    }
}

TEST(CollectionName, EntriesOfADeviceFollowItsCollections) {
    const THidPnPInfo device{"/dev/hidraw0", "0003:0E8F:00A6.0002"};
    EXPECT_TRUE(collectionEntries(device, 0).empty());
    auto one = collectionEntries(device, 1);
    ASSERT_EQ(one.size(), 1u);
    EXPECT_EQ(one[0].DevicePath, device.DevicePath);
    EXPECT_EQ(one[0].DeviceID, device.DeviceID);
    auto three = collectionEntries(device, 3);
    ASSERT_EQ(three.size(), 3u);
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(three[i].DevicePath, collectionName(device.DevicePath, i));
        EXPECT_EQ(three[i].DeviceID, collectionName(device.DeviceID, i));
    }
}

}  // namespace
}  // namespace orvix
