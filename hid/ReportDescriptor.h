#pragma once
// Capabilities computed from a HID report descriptor the way Windows computes HIDP_CAPS for each
// top-level collection (a collection nested in no other, of any type), which Windows lists as a
// HID interface of its own: a report length is the longest report of that kind among the
// collection's own report IDs, in bytes, plus one byte for the report ID, counted also when the
// device uses no report IDs; 0 when the collection has no report of that kind.

#include <bitset>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "hid/HidPlatform.h"

namespace orvix {

// Report IDs 0 to 255; 0 stands for the reports of a device that uses no report IDs.
using ReportIdSet = std::bitset<256>;

// The report IDs of the shared receiver interface's collections (see sharedReceiverDescriptor).
inline constexpr uint8_t kKeyboardReportId = 1;
inline constexpr uint8_t kConsumerReportId = 3;
inline constexpr uint8_t kConfigReportId = 4;

struct TopLevelCollection {
    HidCaps caps;           // its Usage and UsagePage, and the lengths of its own reports
    ReportIdSet reportIds;  // the IDs of its reports, of any kind
};

struct ReportDescriptorInfo {
    std::vector<TopLevelCollection> collections;  // in descriptor order
    bool usesReportIds = false;                   // reports on the wire start with their report ID
};

// Returns false (with a reason in error, when given) for a descriptor that cannot be parsed;
// info then holds what was read up to the fault. Refused as the platforms' HID stacks refuse them:
// collections still open at the end (a descriptor read cut short mostly looks so), and a report ID
// used in two top-level collections (a report belongs to one collection's interface). Main items
// outside every collection belong to no interface and are not counted.
bool parseReportDescriptor(const uint8_t* data, size_t size, ReportDescriptorInfo& info, std::string* error = nullptr);

// Preparsed data of one top-level collection, kept with the raw descriptor, for platforms that
// hand out descriptors.
class DescriptorPreparsedData final : public HidPreparsedData {
public:
    // collection: its position among the descriptor's top-level collections.
    explicit DescriptorPreparsedData(std::vector<uint8_t> descriptor, size_t collection = 0);
    // All zero (and false) for a refused descriptor or a collection it does not have.
    bool getCaps(HidCaps& caps) const override;
    bool usesReportIds() const { return info_.usesReportIds; }
    const std::vector<uint8_t>& descriptor() const { return descriptor_; }

private:
    std::vector<uint8_t> descriptor_;
    size_t collection_;
    ReportDescriptorInfo info_;
    bool valid_ = false;
};

// The report descriptors of the receivers the project simulates and tests with:
// - the configuration interface: report ID 4, 7 data bytes in and out, so 8-byte reports;
// - a boot mouse without report IDs (3 bytes in, nothing out);
// - a boot keyboard without report IDs (8 bytes in, the LED byte out);
// - the shared interface of many 2.4 GHz receivers: a keyboard (ID 1: 8 bytes in, the LED byte
//   out), a consumer control (ID 3: one 16-bit usage in) and the configuration collection (ID 4).
const std::vector<uint8_t>& receiverConfigDescriptor();
const std::vector<uint8_t>& bootMouseDescriptor();
const std::vector<uint8_t>& bootKeyboardDescriptor();
const std::vector<uint8_t>& sharedReceiverDescriptor();

}  // namespace orvix
