#include "hid/sim/SimReceiver.h"

namespace orvix::sim {

namespace {

constexpr uint8_t kStatusArgument = 0x1F;
constexpr uint8_t kLinked = 0x80, kUnlinked = 0x81, kAcknowledge = 0x89;
constexpr int kKeyCount = 5;

}  // namespace

Report SimReceiver::statusReport(bool linked) {
    return {kConfigReportId, linked ? kLinked : kUnlinked, 0, 0, 0, 0, 0, 0};
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
