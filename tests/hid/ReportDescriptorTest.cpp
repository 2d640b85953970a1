#include <gtest/gtest.h>

#include "hid/ReportDescriptor.h"

namespace orvix {
namespace {

using Bytes = std::vector<uint8_t>;

// The boot keyboard of the HID 1.11 specification's appendix: 8 bytes in, 1 byte of LEDs out.
const Bytes bootKeyboard{0x05, 0x01, 0x09, 0x06, 0xA1, 0x01, 0x05, 0x07, 0x19, 0xE0, 0x29, 0xE7, 0x15, 0x00,
                         0x25, 0x01, 0x75, 0x01, 0x95, 0x08, 0x81, 0x02, 0x95, 0x01, 0x75, 0x08, 0x81, 0x01,
                         0x95, 0x05, 0x75, 0x01, 0x05, 0x08, 0x19, 0x01, 0x29, 0x05, 0x91, 0x02, 0x95, 0x01,
                         0x75, 0x03, 0x91, 0x01, 0x95, 0x06, 0x75, 0x08, 0x15, 0x00, 0x25, 0x65, 0x05, 0x07,
                         0x19, 0x00, 0x29, 0x65, 0x81, 0x00, 0xC0};

// A keyboard (ID 1: 8 bytes in, 1 out) and a consumer control (ID 2: 2 bytes in) in one descriptor.
const Bytes keyboardAndConsumer{
    0x05, 0x01, 0x09, 0x06, 0xA1, 0x01, 0x85, 0x01, 0x75, 0x08, 0x95, 0x08, 0x81, 0x02, 0x75, 0x01,
    0x95, 0x08, 0x91, 0x02, 0xC0, 0x05, 0x0C, 0x09, 0x01, 0xA1, 0x01, 0x85, 0x02, 0x75, 0x10, 0x95,
    0x01, 0x81, 0x00, 0xC0};

// A vendor page with a 4-byte extended usage, feature reports only, no report IDs.
const Bytes featureOnly{0x0B, 0x01, 0x00, 0x00, 0xFF, 0xA1, 0x01, 0x75, 0x08, 0x96, 0x00, 0x01, 0xB1, 0x02, 0xC0};

struct Case {
    const char* name;
    Bytes descriptor;
    bool ok;
    uint16_t input, output, feature;
    bool ids;
    uint16_t usagePage, usage;
};

class Descriptors : public ::testing::TestWithParam<Case> {};

TEST_P(Descriptors, GiveTheLengthsWindowsReports) {
    const Case& c = GetParam();
    ReportDescriptorInfo info;
    std::string error;
    EXPECT_EQ(parseReportDescriptor(c.descriptor.data(), c.descriptor.size(), info, &error), c.ok) << error;
    if (!c.ok) {
        EXPECT_FALSE(error.empty());
        return;
    }
    EXPECT_EQ(info.caps.InputReportByteLength, c.input);
    EXPECT_EQ(info.caps.OutputReportByteLength, c.output);
    EXPECT_EQ(info.caps.FeatureReportByteLength, c.feature);
    EXPECT_EQ(info.usesReportIds, c.ids);
    EXPECT_EQ(info.caps.UsagePage, c.usagePage);
    EXPECT_EQ(info.caps.Usage, c.usage);
}

Bytes cut(const Bytes& b, size_t n) { return Bytes(b.begin(), b.begin() + static_cast<long>(n)); }

INSTANTIATE_TEST_SUITE_P(
    Hid, Descriptors,
    ::testing::Values(
        Case{"BootKeyboard", bootKeyboard, true, 9, 2, 0, false, 0x01, 0x06},
        Case{"BootMouse", bootMouseDescriptor(), true, 4, 0, 0, false, 0x01, 0x02},
        Case{"ReceiverConfiguration", receiverConfigDescriptor(), true, 8, 8, 0, true, 0xFF00, 0x01},
        Case{"SeveralReportIds", keyboardAndConsumer, true, 9, 2, 0, true, 0x01, 0x06},
        Case{"FeatureOnlyWithExtendedUsage", featureOnly, true, 0, 0, 257, false, 0xFF00, 0x01},
        Case{"Empty", {}, true, 0, 0, 0, false, 0, 0},
        Case{"UnclosedCollectionStillCounts", cut(receiverConfigDescriptor(), 26), true, 8, 8, 0, true, 0xFF00, 1},
        Case{"TruncatedItem", cut(bootKeyboard, 11), false},
        Case{"EndWithoutCollection", {0xC0}, false},
        Case{"PopWithoutPush", {0xB4}, false},
        Case{"ReportIdZero", {0x85, 0x00}, false},
        Case{"HugeCounts", {0x77, 0xFF, 0xFF, 0xFF, 0xFF, 0x97, 0xFF, 0xFF, 0xFF, 0xFF, 0x81, 0x02}, false},
        Case{"LongItemCutShort", {0xFE, 0x10, 0x00, 0x01}, false},
        Case{"LongItemSkipped", {0xFE, 0x01, 0x00, 0xAA, 0x75, 0x08, 0x95, 0x02, 0x81, 0x02}, true, 3, 0, 0, false, 0, 0},
        Case{"PushPopRestoresSizes",
             {0x75, 0x08, 0x95, 0x01, 0xA4, 0x75, 0x10, 0x95, 0x02, 0x81, 0x02, 0xB4, 0x91, 0x02},
             true, 5, 2, 0, false, 0, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Hid, DeepPushAndCollectionNestingAreRefusedNotRecursed) {
    Bytes pushes(10000, 0xA4);
    ReportDescriptorInfo info;
    EXPECT_FALSE(parseReportDescriptor(pushes.data(), pushes.size(), info));
    Bytes collections;
    for (int i = 0; i < 10000; ++i) collections.insert(collections.end(), {0xA1, 0x00});
    EXPECT_FALSE(parseReportDescriptor(collections.data(), collections.size(), info));
}

TEST(Hid, PreparsedDataOfABrokenDescriptorGivesZeroCaps) {
    DescriptorPreparsedData broken(Bytes{0xC0});
    HidCaps caps;
    caps.InputReportByteLength = 99;
    EXPECT_FALSE(broken.getCaps(caps));
    EXPECT_EQ(caps.InputReportByteLength, 0);
    DescriptorPreparsedData receiver(receiverConfigDescriptor());
    EXPECT_TRUE(receiver.getCaps(caps));
    EXPECT_EQ(caps.OutputReportByteLength, 8);
}

}  // namespace
}  // namespace orvix
