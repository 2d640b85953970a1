#include <gtest/gtest.h>

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "hid/ReportDescriptor.h"

namespace orvix {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes join(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

Bytes repeat(const Bytes& part, size_t times) {
    Bytes all;
    for (size_t i = 0; i < times; ++i) all.insert(all.end(), part.begin(), part.end());
    return all;
}

// --- Real descriptors -----------------------------------------------------------------------

// The boot keyboard example of HID 1.11, appendix E.6 (8 bytes in, 1 byte of LEDs out), as the
// simulated keyboards use it.
const Bytes& hidBootKeyboard = bootKeyboardDescriptor();

// The boot mouse example of HID 1.11, appendix E.10: 3 bytes in, nothing out.
// clang-format off
const Bytes hidBootMouse{
    0x05, 0x01,  // Usage Page (Generic Desktop)
    0x09, 0x02,  // Usage (Mouse)
    0xA1, 0x01,  // Collection (Application)
    0x09, 0x01,  //   Usage (Pointer)
    0xA1, 0x00,  //   Collection (Physical)
    0x05, 0x09,  //     Usage Page (Buttons)
    0x19, 0x01,  //     Usage Minimum (1)
    0x29, 0x03,  //     Usage Maximum (3)
    0x15, 0x00,  //     Logical Minimum (0)
    0x25, 0x01,  //     Logical Maximum (1)
    0x95, 0x03,  //     Report Count (3)
    0x75, 0x01,  //     Report Size (1)
    0x81, 0x02,  //     Input (Data, Variable, Absolute)
    0x95, 0x01,  //     Report Count (1)
    0x75, 0x05,  //     Report Size (5)
    0x81, 0x01,  //     Input (Constant)
    0x05, 0x01,  //     Usage Page (Generic Desktop)
    0x09, 0x30,  //     Usage (X)
    0x09, 0x31,  //     Usage (Y)
    0x15, 0x81,  //     Logical Minimum (-127)
    0x25, 0x7F,  //     Logical Maximum (127)
    0x75, 0x08,  //     Report Size (8)
    0x95, 0x02,  //     Report Count (2)
    0x81, 0x06,  //     Input (Data, Variable, Relative)
    0xC0,        //   End Collection
    0xC0,        // End Collection
};
// clang-format on

// A keyboard (ID 1: 8 bytes in, 1 byte of LEDs out) and a consumer control (ID 2: 2 bytes in).
// clang-format off
const Bytes keyboardAndConsumer{
    0x05, 0x01, 0x09, 0x06, 0xA1, 0x01,  // Generic Desktop, Keyboard, Collection (Application)
    0x85, 0x01,                          //   Report ID (1)
    0x05, 0x07, 0x19, 0xE0, 0x29, 0xE7, 0x15, 0x00, 0x25, 0x01,
    0x75, 0x01, 0x95, 0x08, 0x81, 0x02,  //   8 modifier bits in
    0x95, 0x01, 0x75, 0x08, 0x81, 0x01,  //   reserved byte in
    0x95, 0x05, 0x75, 0x01, 0x05, 0x08, 0x19, 0x01, 0x29, 0x05,
    0x91, 0x02,                          //   5 LED bits out
    0x95, 0x01, 0x75, 0x03, 0x91, 0x01,  //   3 padding bits out
    0x95, 0x06, 0x75, 0x08, 0x15, 0x00, 0x25, 0x65, 0x05, 0x07, 0x19, 0x00, 0x29, 0x65,
    0x81, 0x00,                          //   6 key bytes in
    0xC0,                                // End Collection
    0x05, 0x0C, 0x09, 0x01, 0xA1, 0x01,  // Consumer, Consumer Control, Collection (Application)
    0x85, 0x02,                          //   Report ID (2)
    0x15, 0x00, 0x26, 0xFF, 0x03, 0x19, 0x00, 0x2A, 0xFF, 0x03,
    0x75, 0x10, 0x95, 0x01, 0x81, 0x00,  //   one 16-bit usage in
    0xC0,                                // End Collection
};
// clang-format on

// A mouse (ID 1: 5 bytes in) and a vendor channel (ID 2: 19 bytes in and out, ID 3: 2 bytes of
// feature): the longest report comes last, and the reports are not byte-sized field by field.
// clang-format off
const Bytes mouseAndVendor{
    0x05, 0x01, 0x09, 0x02, 0xA1, 0x01,  // Generic Desktop, Mouse, Collection (Application)
    0x85, 0x01,                          //   Report ID (1)
    0x09, 0x01, 0xA1, 0x00,              //   Usage (Pointer), Collection (Physical)
    0x05, 0x09, 0x19, 0x01, 0x29, 0x05, 0x15, 0x00, 0x25, 0x01,
    0x95, 0x05, 0x75, 0x01, 0x81, 0x02,  //     5 buttons
    0x95, 0x01, 0x75, 0x03, 0x81, 0x01,  //     3 padding bits
    0x05, 0x01, 0x09, 0x30, 0x09, 0x31,
    0x16, 0x01, 0xF8, 0x26, 0xFF, 0x07,  //     Logical Minimum (-2047), Logical Maximum (2047)
    0x75, 0x0C, 0x95, 0x02, 0x81, 0x06,  //     X, Y: 12 bits each
    0x09, 0x38, 0x15, 0x81, 0x25, 0x7F,
    0x75, 0x08, 0x95, 0x01, 0x81, 0x06,  //     wheel
    0xC0, 0xC0,                          //   End Collection, End Collection
    0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01,  // vendor page, Usage (1), Collection (Application)
    0x85, 0x02,                          //   Report ID (2)
    0x09, 0x01, 0x15, 0x00, 0x26, 0xFF, 0x00,
    0x75, 0x08, 0x95, 0x13, 0x81, 0x02,  //   19 bytes in
    0x09, 0x01, 0x95, 0x13, 0x91, 0x02,  //   19 bytes out
    0x85, 0x03,                          //   Report ID (3)
    0x09, 0x02, 0x95, 0x02, 0xB1, 0x02,  //   2 bytes of feature
    0xC0,                                // End Collection
};
// clang-format on

// --- Capabilities of sound descriptors ------------------------------------------------------

// One top-level collection as Windows lists it, and the report IDs that belong to it.
struct Collection {
    uint16_t usagePage = 0, usage = 0;
    uint16_t input = 0, output = 0, feature = 0;
    std::vector<int> ids;
};

struct SoundCase {
    const char* name;
    Bytes descriptor;
    bool ids;
    std::vector<Collection> collections;
};

void PrintTo(const SoundCase& c, std::ostream* os) { *os << c.name; }

class SoundDescriptor : public ::testing::TestWithParam<SoundCase> {};

TEST_P(SoundDescriptor, GivesEachTopLevelCollectionTheCapabilitiesWindowsReports) {
    const SoundCase& c = GetParam();
    ReportDescriptorInfo info;
    std::string error;
    ASSERT_TRUE(parseReportDescriptor(c.descriptor.data(), c.descriptor.size(), info, &error)) << error;
    EXPECT_EQ(info.usesReportIds, c.ids);
    ASSERT_EQ(info.collections.size(), c.collections.size());
    for (size_t i = 0; i < c.collections.size(); ++i) {
        SCOPED_TRACE("collection " + std::to_string(i + 1));
        const HidCaps& caps = info.collections[i].caps;
        const Collection& want = c.collections[i];
        EXPECT_EQ(caps.UsagePage, want.usagePage);
        EXPECT_EQ(caps.Usage, want.usage);
        EXPECT_EQ(caps.InputReportByteLength, want.input);
        EXPECT_EQ(caps.OutputReportByteLength, want.output);
        EXPECT_EQ(caps.FeatureReportByteLength, want.feature);
        ReportIdSet ids;
        for (int id : want.ids) ids.set(static_cast<size_t>(id));
        EXPECT_EQ(info.collections[i].reportIds, ids);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Hid, SoundDescriptor,
    ::testing::Values(
        SoundCase{"BootKeyboardOfHid111", hidBootKeyboard, false, {{0x01, 0x06, 9, 2, 0, {0}}}},
        SoundCase{"BootMouseOfHid111", hidBootMouse, false, {{0x01, 0x02, 4, 0, 0, {0}}}},
        SoundCase{"ReceiverMouseInterface", bootMouseDescriptor(), false, {{0x01, 0x02, 4, 0, 0, {0}}}},
        SoundCase{"ReceiverConfigurationInterface", receiverConfigDescriptor(), true, {{0xFF00, 0x01, 8, 8, 0, {4}}}},
        // The keyboard's LED byte is an output report of ID 1, so its collection has 2-byte output
        // reports; the configuration collection keeps its 8 and 8 beside the keyboard's 9.
        SoundCase{"SharedReceiverInterfaceWithIdsOneThreeFour",
                  sharedReceiverDescriptor(),
                  true,
                  {{0x01, 0x06, 9, 2, 0, {1}}, {0x0C, 0x01, 3, 0, 0, {3}}, {0xFF00, 0x01, 8, 8, 0, {4}}}},
        SoundCase{"KeyboardAndConsumerWithTwoIds",
                  keyboardAndConsumer,
                  true,
                  {{0x01, 0x06, 9, 2, 0, {1}}, {0x0C, 0x01, 3, 0, 0, {2}}}},
        // The vendor channel's 19-byte reports do not lengthen the mouse's collection.
        SoundCase{"EachCollectionCountsOnlyItsOwnIds",
                  mouseAndVendor,
                  true,
                  {{0x01, 0x02, 6, 0, 0, {1}}, {0xFF00, 0x01, 20, 20, 3, {2, 3}}}},
        // 12 + 5 bits take 3 bytes.
        SoundCase{"BitsRoundUpToWholeBytes",
                  {0x05, 0x01, 0x09, 0x02, 0xA1, 0x01, 0x09, 0x30, 0x75, 0x0C, 0x95, 0x01, 0x81, 0x02, 0x75, 0x05, 0x81,
                   0x01, 0xC0},
                  false,
                  {{0x01, 0x02, 4, 0, 0, {0}}}},
        // ID 1 has 3 bytes in a physical and 2 in a logical collection: 5 in all, more than ID 2's 4.
        SoundCase{"OneIdSumsOverItsCollections",
                  {0x05, 0x01, 0x09, 0x02, 0xA1, 0x01, 0x85, 0x01, 0x09, 0x01, 0xA1, 0x00, 0x75, 0x08, 0x95, 0x03, 0x81,
                   0x02, 0xC0, 0xA1, 0x02, 0x95, 0x02, 0x81, 0x02, 0xC0, 0x85, 0x02, 0x95, 0x04, 0x81, 0x02, 0xC0},
                  true,
                  {{0x01, 0x02, 6, 0, 0, {1, 2}}}},
        // Application collections nested in a top-level one are not top-level: their reports
        // (ID 5: 3 bytes in the inner ones, 1 in the outer) belong to the outer collection.
        SoundCase{"NestedApplicationCollectionsBelongToTheirTopLevelOne",
                  {0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01, 0x85, 0x05, 0x75, 0x08, 0x95,
                   0x01, 0x81, 0x02, 0x09, 0x02, 0xA1, 0x01, 0x95, 0x02, 0x81, 0x02, 0x09,
                   0x03, 0xA1, 0x01, 0x85, 0x06, 0x95, 0x01, 0x91, 0x02, 0xC0, 0xC0, 0xC0},
                  true,
                  {{0xFF00, 0x01, 4, 2, 0, {5, 6}}}},
        // A collection with feature reports only, beside one with input reports.
        SoundCase{
            "FeatureOnlyCollection",
            {0x05, 0x01, 0x09, 0x02, 0xA1, 0x01, 0x85, 0x01, 0x75, 0x08, 0x95, 0x03, 0x81, 0x02, 0xC0, 0x06, 0x00, 0xFF,
             0x09, 0x20, 0xA1, 0x01, 0x85, 0x07, 0x95, 0x10, 0xB1, 0x02, 0x85, 0x08, 0x95, 0x04, 0xB1, 0x02, 0xC0},
            true,
            {{0x01, 0x02, 4, 0, 0, {1}}, {0xFF00, 0x20, 0, 0, 17, {7, 8}}}},
        // ID 1 with 2 bytes, Push, ID 2 with 5 bytes, Pop, 2 more bytes: ID 1 gets 4, ID 2 keeps 5.
        SoundCase{"PopRestoresReportIdAndCount",
                  {0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01, 0x85, 0x01, 0x75, 0x08, 0x95, 0x02,
                   0x81, 0x02, 0xA4, 0x85, 0x02, 0x95, 0x05, 0x81, 0x02, 0xB4, 0x81, 0x02, 0xC0},
                  true,
                  {{0xFF00, 0x01, 6, 0, 0, {1, 2}}}},
        // A 4-byte Usage names its own page, over the Usage Page in force; read misaligned (3
        // bytes) the Usage would be lost.
        SoundCase{
            "ExtendedUsageCarriesItsPage",
            {0x05, 0x01, 0x0B, 0x01, 0x00, 0x0C, 0x00, 0xA1, 0x01, 0x75, 0x08, 0x96, 0x00, 0x01, 0xB1, 0x02, 0xC0},
            false,
            {{0x0C, 0x01, 0, 0, 257, {0}}}},
        // 2-byte count 3, 4-byte size 16, then a count with no data bytes (0).
        SoundCase{"ItemsOfEveryDataSize",
                  {0x05, 0x01, 0x09, 0x02, 0xA1, 0x01, 0x75, 0x08, 0x96, 0x03, 0x00, 0x81, 0x02,
                   0x77, 0x10, 0x00, 0x00, 0x00, 0x95, 0x01, 0x81, 0x02, 0x94, 0x81, 0x02, 0xC0},
                  false,
                  {{0x01, 0x02, 6, 0, 0, {0}}}},
        // Count 0xFF and size 0x80 in one byte are 255 and 128, not -1 and -128.
        SoundCase{"OneByteCountsAndSizesAreUnsigned",
                  {0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01, 0x75, 0x08, 0x95,
                   0xFF, 0x81, 0x02, 0x75, 0x80, 0x95, 0x01, 0x91, 0x02, 0xC0},
                  false,
                  {{0xFF00, 0x01, 256, 17, 0, {0}}}},
        // The skipped long items hold bytes that would close collections if read as items.
        SoundCase{"LongItemsAreSkipped",
                  {0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01, 0xFE, 0x03, 0x10, 0xC0, 0xC0,
                   0xB4, 0xFE, 0x00, 0x11, 0x75, 0x08, 0x95, 0x02, 0x81, 0x02, 0xC0},
                  false,
                  {{0xFF00, 0x01, 3, 0, 0, {0}}}},
        // An unnested Physical or Logical collection is top-level too; the Application collection
        // nested in the Logical one is not; the Usage used by one collection is gone by the next.
        SoundCase{"EveryUnnestedCollectionIsTopLevelWhateverItsType",
                  {0x05, 0x01, 0x09, 0x02, 0xA1, 0x00, 0xC0, 0xA1, 0x02, 0x09, 0x06, 0xA1, 0x01, 0xC0, 0xC0, 0x05,
                   0x0C, 0xA1, 0x01, 0x75, 0x08, 0x95, 0x01, 0x81, 0x02, 0xC0, 0x09, 0x03, 0xA1, 0x01, 0xC0},
                  false,
                  {{0x01, 0x02, 0, 0, 0, {}},
                   {0x01, 0x00, 0, 0, 0, {}},
                   {0x0C, 0x00, 2, 0, 0, {0}},
                   {0x0C, 0x03, 0, 0, 0, {}}}},
        SoundCase{"UsageOfTheFirstOfSeveral",
                  {0x05, 0x01, 0x09, 0x06, 0x09, 0x02, 0xA1, 0x01, 0xC0},
                  false,
                  {{0x01, 0x06, 0, 0, 0, {}}}},
        // Main items outside every collection belong to no collection's reports.
        SoundCase{"ItemsOutsideEveryCollectionCountForNone",
                  {0x75, 0x08, 0x95, 0x10, 0x81, 0x02, 0x91, 0x02, 0x06, 0x00, 0xFF, 0x09,
                   0x01, 0xA1, 0x01, 0x95, 0x01, 0x81, 0x02, 0xC0, 0x95, 0x20, 0xB1, 0x02},
                  false,
                  {{0xFF00, 0x01, 2, 0, 0, {0}}}},
        SoundCase{"NoCollectionAtAll", {0x75, 0x08, 0x95, 0x01, 0x81, 0x02}, false, {}},
        // The largest report that still fits: 65534 bytes plus the ID byte.
        SoundCase{"LongestReportThatFits",
                  {0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01, 0x75, 0x08, 0x96, 0xFE, 0xFF, 0x81, 0x02, 0xC0},
                  false,
                  {{0xFF00, 0x01, 0xFFFF, 0, 0, {0}}}}),
    [](const auto& info) { return std::string(info.param.name); });

// As many top-level collections as a device may have, each its own.
TEST(Hid, TwoHundredFiftyFiveTopLevelCollectionsAreListed) {
    Bytes descriptor;
    for (int id = 1; id <= 255; ++id)
        descriptor = join({descriptor,
                           {0x09, static_cast<uint8_t>(id), 0xA1, 0x01, 0x85, static_cast<uint8_t>(id), 0x75, 0x08,
                            0x95, static_cast<uint8_t>(id % 8), 0x81, 0x02, 0xC0}});
    ReportDescriptorInfo info;
    std::string error;
    ASSERT_TRUE(parseReportDescriptor(descriptor.data(), descriptor.size(), info, &error)) << error;
    ASSERT_EQ(info.collections.size(), 255u);
    for (size_t i = 0; i < info.collections.size(); ++i) {
        EXPECT_EQ(info.collections[i].caps.Usage, i + 1);
        EXPECT_EQ(info.collections[i].caps.InputReportByteLength, (i + 1) % 8 + 1);
        EXPECT_EQ(info.collections[i].reportIds.count(), 1u);
        EXPECT_TRUE(info.collections[i].reportIds.test(i + 1));
    }
}

// --- Refused descriptors ---------------------------------------------------------------------

struct FaultCase {
    const char* name;
    Bytes descriptor;
    const char* reason;  // part of the error text
};

void PrintTo(const FaultCase& c, std::ostream* os) { *os << c.name; }

class FaultyDescriptor : public ::testing::TestWithParam<FaultCase> {};

TEST_P(FaultyDescriptor, IsRefusedWithItsReason) {
    const FaultCase& c = GetParam();
    ReportDescriptorInfo info;
    std::string error;
    EXPECT_FALSE(parseReportDescriptor(c.descriptor.data(), c.descriptor.size(), info, &error));
    EXPECT_NE(error.find(c.reason), std::string::npos) << "error: " << error;
}

const Bytes vendorOpen{0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01};  // 7 bytes

INSTANTIATE_TEST_SUITE_P(
    Hid, FaultyDescriptor,
    ::testing::Values(
        FaultCase{"Empty", {}, "descriptor is empty"},
        FaultCase{"Huge", join({receiverConfigDescriptor(), repeat({0x75, 0x08}, 33000)}), "65535"},
        FaultCase{"ItemCutShort", Bytes(hidBootKeyboard.begin(), hidBootKeyboard.begin() + 11),
                  "item at byte 10 cut short"},
        FaultCase{"FourByteItemCutShort", join({vendorOpen, {0x27, 0xFF, 0x00, 0x00}}), "item at byte 7 cut short"},
        FaultCase{"LongItemHeaderCutShort", join({vendorOpen, {0xFE, 0x10}}), "long item at byte 7 cut short"},
        FaultCase{"LongItemDataCutShort", join({vendorOpen, {0xFE, 0x04, 0x00, 0x01, 0x02, 0x03}}),
                  "long item at byte 7 cut short"},
        FaultCase{"CollectionLeftOpen", Bytes(hidBootMouse.begin(), hidBootMouse.end() - 1), "not closed"},
        FaultCase{"EndCollectionFirst", {0xC0}, "End Collection at byte 0 without an open Collection"},
        FaultCase{"EndCollectionOnceTooOften", join({vendorOpen, {0xC0, 0xC0}}), "End Collection at byte 8"},
        FaultCase{"PopFirst", {0xB4}, "Pop at byte 0 without a Push"},
        FaultCase{"PopOnceTooOften", join({vendorOpen, {0xA4, 0xB4, 0xB4, 0xC0}}), "Pop at byte 9 without a Push"},
        FaultCase{"ReportIdZero", join({vendorOpen, {0x85, 0x00, 0xC0}}), "Report ID 0 at byte 7"},
        FaultCase{"ReportIdWithoutData", join({vendorOpen, {0x84, 0xC0}}), "Report ID 0 at byte 7"},
        FaultCase{"ReportIdBeyondOneByte", join({vendorOpen, {0x86, 0x00, 0x01, 0xC0}}), "Report ID 256"},
        // 0x10000 x 0x10000 bits wraps to 0 in 32 bits.
        FaultCase{"SizeTimesCountBeyond32Bits",
                  join({vendorOpen, {0x77, 0x00, 0x00, 0x01, 0x00, 0x97, 0x00, 0x00, 0x01, 0x00, 0x81, 0x02, 0xC0}}),
                  "Input report without ID at byte 17 is longer than 65534 bytes"},
        FaultCase{"LargestSizeAndCount",
                  join({vendorOpen, {0x77, 0xFF, 0xFF, 0xFF, 0xFF, 0x97, 0xFF, 0xFF, 0xFF, 0xFF, 0x91, 0x02, 0xC0}}),
                  "Output report without ID"},
        // Three features of 24576 bytes each: every item fits, and two of them, but not all three.
        FaultCase{"SumOfItemsTooLong",
                  join({vendorOpen, {0x85, 0x07, 0x75, 0x08, 0x96, 0x00, 0x60}, repeat({0xB1, 0x02}, 3), {0xC0}}),
                  "Feature report 7 at byte 18 is longer"},
        // One byte more than fits: 65535 bytes plus the ID byte is no 16-bit length.
        FaultCase{"OneByteTooLong", join({vendorOpen, {0x75, 0x08, 0x96, 0xFF, 0xFF, 0x81, 0x02, 0xC0}}),
                  "longer than 65534 bytes"},
        FaultCase{"PushTooDeep", repeat({0xA4}, 10000), "Push at byte 64"},
        FaultCase{"CollectionsTooDeep", repeat({0xA1, 0x00}, 10000), "Collection at byte 128 nested deeper"},
        FaultCase{"TooManyTopLevelCollections", repeat({0xA1, 0x00, 0xC0}, 256),
                  "Collection at byte 765 is one more than the 255 top-level collections"},
        // A report belongs to one collection's interface: Windows could give it to neither.
        FaultCase{
            "ReportIdInTwoTopLevelCollections",
            join({vendorOpen, {0x85, 0x02, 0x75, 0x08, 0x95, 0x01, 0x81, 0x02, 0xC0}, vendorOpen, {0x91, 0x02, 0xC0}}),
            "Output report 2 at byte 23 is in top-level collection 2, its other reports in collection 1"},
        FaultCase{"ReportsWithoutIdInTwoTopLevelCollections", join({hidBootMouse, hidBootKeyboard}),
                  "Input report without ID at byte 70 is in top-level collection 2"}),
    [](const auto& info) { return std::string(info.param.name); });

// A descriptor of one top-level collection cut anywhere inside it is refused, at an item boundary
// or within an item: a short read never passes for a device with shorter reports.
TEST(Hid, EveryCutInsideTheTopLevelCollectionIsRefused) {
    for (const Bytes* descriptor :
         {&hidBootKeyboard, &hidBootMouse, &bootMouseDescriptor(), &receiverConfigDescriptor()}) {
        const size_t firstCollectionEnd = 6 + (descriptor->at(0) == 0x06 ? 1 : 0);
        for (size_t length = firstCollectionEnd; length < descriptor->size(); ++length) {
            ReportDescriptorInfo info;
            std::string error;
            EXPECT_FALSE(parseReportDescriptor(descriptor->data(), length, info, &error))
                << "cut at " << length << " of " << descriptor->size();
            EXPECT_FALSE(error.empty());
        }
    }
}

// Random and damaged descriptors end with an answer, and a refusal always says why.
TEST(Hid, ArbitraryBytesAreParsedOrRefusedWithAReason) {
    uint32_t seed = 12345;
    auto next = [&seed] {
        seed = seed * 1664525u + 1013904223u;
        return static_cast<uint8_t>(seed >> 24);
    };
    for (int round = 0; round < 3000; ++round) {
        Bytes bytes = round % 2 ? mouseAndVendor : Bytes(next() % 64);
        if (round % 2)
            for (int k = 0; k < 4; ++k) bytes[next() % bytes.size()] = next();
        else
            for (uint8_t& b : bytes) b = next();
        ReportDescriptorInfo info;
        std::string error;
        if (!parseReportDescriptor(bytes.data(), bytes.size(), info, &error)) {
            EXPECT_FALSE(error.empty());
        }
    }
}

// The Linux read handle takes usesReportIds from a descriptor even when it is refused.
TEST(Hid, RefusedDescriptorKeepsWhatWasReadBeforeTheFault) {
    Bytes descriptor = join({receiverConfigDescriptor(), {0xC0}});
    ReportDescriptorInfo info;
    EXPECT_FALSE(parseReportDescriptor(descriptor.data(), descriptor.size(), info));
    EXPECT_TRUE(info.usesReportIds);
    ASSERT_EQ(info.collections.size(), 1u);
    EXPECT_EQ(info.collections[0].caps.UsagePage, 0xFF00);
    EXPECT_EQ(info.collections[0].caps.InputReportByteLength, 8);
    EXPECT_EQ(info.collections[0].caps.OutputReportByteLength, 8);
}

TEST(Hid, ParseStartsFromEmptyInfo) {
    ReportDescriptorInfo info;
    ASSERT_TRUE(parseReportDescriptor(receiverConfigDescriptor().data(), receiverConfigDescriptor().size(), info));
    ASSERT_TRUE(parseReportDescriptor(hidBootMouse.data(), hidBootMouse.size(), info));
    EXPECT_FALSE(info.usesReportIds);
    ASSERT_EQ(info.collections.size(), 1u);
    EXPECT_EQ(info.collections[0].caps.OutputReportByteLength, 0);
}

// --- Preparsed data ---------------------------------------------------------------------------

class PreparsedData : public ::testing::Test {
protected:
    HidCaps stale() {
        HidCaps caps;
        caps.Usage = caps.UsagePage = caps.InputReportByteLength = caps.OutputReportByteLength =
            caps.FeatureReportByteLength = 99;
        return caps;
    }
};

TEST_F(PreparsedData, SoundDescriptorGivesItsCapsAndKeepsItsBytes) {
    DescriptorPreparsedData data(receiverConfigDescriptor());
    HidCaps caps = stale();
    ASSERT_TRUE(data.getCaps(caps));
    EXPECT_EQ(caps.UsagePage, 0xFF00);
    EXPECT_EQ(caps.Usage, 0x01);
    EXPECT_EQ(caps.InputReportByteLength, 8);
    EXPECT_EQ(caps.OutputReportByteLength, 8);
    EXPECT_EQ(caps.FeatureReportByteLength, 0);
    EXPECT_TRUE(data.usesReportIds());
    EXPECT_EQ(data.descriptor(), receiverConfigDescriptor());
}

TEST_F(PreparsedData, EachCollectionOfASharedDescriptorGivesItsOwnCaps) {
    const uint16_t lengths[][2] = {{9, 2}, {3, 0}, {8, 8}};
    for (size_t i = 0; i < 3; ++i) {
        SCOPED_TRACE("collection " + std::to_string(i + 1));
        DescriptorPreparsedData data(sharedReceiverDescriptor(), i);
        HidCaps caps = stale();
        ASSERT_TRUE(data.getCaps(caps));
        EXPECT_EQ(caps.InputReportByteLength, lengths[i][0]);
        EXPECT_EQ(caps.OutputReportByteLength, lengths[i][1]);
    }
}

// Refused descriptors, and collections a descriptor does not have.
TEST_F(PreparsedData, WhatCannotBeKnownGivesZeroCaps) {
    const std::pair<Bytes, size_t> cases[] = {
        {Bytes{}, 0},
        {Bytes{0xC0}, 0},
        {join({receiverConfigDescriptor(), {0xC0}}), 0},
        {receiverConfigDescriptor(), 1},
        {sharedReceiverDescriptor(), 3},
        {Bytes{0x75, 0x08, 0x95, 0x01, 0x81, 0x02}, 0},  // no collection at all
    };
    for (const auto& [descriptor, collection] : cases) {
        DescriptorPreparsedData data(descriptor, collection);
        HidCaps caps = stale();
        EXPECT_FALSE(data.getCaps(caps));
        EXPECT_EQ(caps.Usage, 0);
        EXPECT_EQ(caps.UsagePage, 0);
        EXPECT_EQ(caps.InputReportByteLength, 0);
        EXPECT_EQ(caps.OutputReportByteLength, 0);
        EXPECT_EQ(caps.FeatureReportByteLength, 0);
    }
}

}  // namespace
}  // namespace orvix
