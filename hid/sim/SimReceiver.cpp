#include "hid/sim/SimReceiver.h"

#include <iterator>

namespace orvix::sim {

namespace {

constexpr uint8_t kStatusArgument = 0x1F;
constexpr uint8_t kLinked = 0x80, kUnlinked = 0x81, kAcknowledge = 0x89;
constexpr int kKeyCount = 5;

}  // namespace

Report SimReceiver::statusReport(bool linked) {
    return {kConfigReportId, linked ? kLinked : kUnlinked, 0, 0, 0, 0, 0, 0};
}

Report SimReceiver::floodReport(uint32_t index) {
    static constexpr uint8_t ids[] = {0x00, 0x02, 0x05, 0x7F, 0xFF, kConfigReportId};
    constexpr uint32_t lengths = kFloodMaxLength + 1;
    constexpr uint32_t cycle = std::size(ids) * lengths - 1;  // without the configuration report's own length
    index %= cycle;
    uint8_t id = ids[index / lengths];
    size_t length = index % lengths;
    if (id == kConfigReportId && length >= kConfigReportLength) ++length;
    // Data bytes 0x90..0x9F: no status kind (0x80, 0x81) nor the acknowledgement (0x89), even
    // when a reader cuts a long report to its collection's length.
    Report report(length);
    for (size_t i = 0; i < length; ++i) report[i] = static_cast<uint8_t>(0x90 + (i * 7 + length) % 16);
    if (length) report[0] = id;
    return report;
}

std::optional<Report> SimReceiver::answer(const Report& output) {
    if (output.size() != kConfigReportLength) return std::nullopt;
    if (output[0] != kConfigReportId || output[1] != 0x02 || output[2] != 0x01 || output[3] != 0xA4)
        return std::nullopt;
    uint8_t a0 = output[4], a1 = output[5], a2 = output[6];
    if (static_cast<uint8_t>(0x5C - a0 - a1 - a2) != output[7]) return std::nullopt;

    if (a0 == kStatusArgument && a1 == 0 && a2 == 0) return statusReport(linked);
    // A key write: acknowledged by the mouse, so only while it is linked.
    if (!linked) return std::nullopt;
    if (ackDrop > 0) {
        --ackDrop;
        return std::nullopt;
    }
    uint8_t key = a0;
    if (ackWrong > 0) {
        --ackWrong;
        key = static_cast<uint8_t>((a0 + 1) % kKeyCount);
    }
    return Report{kConfigReportId, kAcknowledge, 0, key, 0, 0, 0, 0};
}

}  // namespace orvix::sim
