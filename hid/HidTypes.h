#pragma once
// The identifiers and capabilities of one HID interface, as the platforms report them.

#include <cstdint>
#include <string>

namespace orvix {

struct HidAttributes {
    uint32_t Size = 12;
    uint16_t VendorID = 0;
    uint16_t ProductID = 0;
    uint16_t VersionNumber = 0;
};

// Report lengths count the report ID byte, also on devices that use no report IDs.
struct HidCaps {
    uint16_t Usage = 0;
    uint16_t UsagePage = 0;
    uint16_t InputReportByteLength = 0;
    uint16_t OutputReportByteLength = 0;
    uint16_t FeatureReportByteLength = 0;
};

// One HID interface present now, as the port lists it.
struct THidPnPInfo {
    std::string DevicePath;  // what the platform opens (openSync, openRead)
    std::string DeviceID;    // stays the same while the interface exists: pairs list entries across rescans
};

}  // namespace orvix
