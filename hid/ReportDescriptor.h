#pragma once
// Capabilities computed from a HID report descriptor the way Windows computes HIDP_CAPS:
// a report length is the longest report of that kind in bytes plus one byte for the report ID,
// counted also when the device uses no report IDs; 0 when there is no report of that kind.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "hid/HidPlatform.h"

namespace orvix {

struct ReportDescriptorInfo {
    HidCaps caps;               // Usage and UsagePage of the first top-level collection
    bool usesReportIds = false; // reports on the wire start with their report ID
};

// Returns false (with a reason in error, when given) for a descriptor that cannot be parsed;
// info then holds what was read up to the fault. Collections still open at the end make a
// descriptor invalid: the platforms' HID stacks refuse it, and a descriptor read cut short looks so.
bool parseReportDescriptor(const uint8_t* data, size_t size, ReportDescriptorInfo& info,
                           std::string* error = nullptr);

// Preparsed data kept as the raw descriptor, for platforms that hand out descriptors.
class DescriptorPreparsedData final : public HidPreparsedData {
public:
    explicit DescriptorPreparsedData(std::vector<uint8_t> descriptor);
    bool getCaps(HidCaps& caps) const override;
    bool usesReportIds() const { return info_.usesReportIds; }
    const std::vector<uint8_t>& descriptor() const { return descriptor_; }

private:
    std::vector<uint8_t> descriptor_;
    ReportDescriptorInfo info_;
    bool valid_ = false;
};

// The report descriptors of the receiver's two interfaces: the configuration interface (report
// ID 4, 7 data bytes in and out) and a boot mouse without report IDs (3 bytes in, nothing out).
const std::vector<uint8_t>& receiverConfigDescriptor();
const std::vector<uint8_t>& bootMouseDescriptor();

}  // namespace orvix
