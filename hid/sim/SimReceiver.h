#pragma once
// What the receiver answers to the reports written to its configuration interface.

#include <cstdint>
#include <optional>
#include <vector>

#include "hid/ReportDescriptor.h"

namespace orvix::sim {

using Report = std::vector<uint8_t>;

// Length of the configuration collection's reports (orvix::kConfigReportId), both ways.
constexpr size_t kConfigReportLength = 8;

class SimReceiver {
public:
    // The status report: 04 80 while the mouse is linked, 04 81 while not.
    static Report statusReport(bool linked);

    // The index-th report of a flood, in a cycle of every length from 0 to kFloodMaxLength under
    // report IDs that belong to no collection of either layout, and under kConfigReportId with
    // every length but its own: none of them is a status report or an acknowledgement.
    static Report floodReport(uint32_t index);
    static constexpr size_t kFloodMaxLength = 64;

    // The input report answering one output report, or nothing. Only A4 frames with a correct
    // checksum are answered: `04 02 01 A4 a0 a1 a2 ck`, ck = 0x5C - a0 - a1 - a2.
    std::optional<Report> answer(const Report& output);

    bool linked = true;
    // The next ackWrong acknowledgements name key (a0 + 1) mod 5 instead of a0.
    uint32_t ackWrong = 0;
    // The next ackDrop key writes the receiver would acknowledge get no answer.
    uint32_t ackDrop = 0;
};

}  // namespace orvix::sim
