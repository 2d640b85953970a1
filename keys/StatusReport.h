#pragma once
// What the receiver says about the link to the mouse: the status reports it sends, and the status
// query that asks for one.

#include <cstdint>
#include <optional>

#include "core/ByteArray.h"

namespace orvix {

// The A4 argument of the status query: the frame 02 01 A4 1F 00 00 3D.
inline constexpr uint32_t statusQuery = 0x1F;

enum class StatusKind {
    Linked,        // 0x80 or 0x8A: the mouse is linked
    NotLinked,     // 0x81
    Acknowledged,  // 0x89: a key write was taken, and the mouse is linked
};

struct StatusReport {
    StatusKind kind = StatusKind::NotLinked;
    int keyIndex = 0;  // Acknowledged: byte 2, the device key index whose write was taken

    bool linked() const { return kind != StatusKind::NotLinked; }
};

// One input report's data bytes (no report ID) as a status report: exactly 7 bytes whose first is
// 0x80, 0x81, 0x89 or 0x8A. Nothing for anything else, which changes nothing.
std::optional<StatusReport> readStatusReport(const TByteDynArray& d);

}  // namespace orvix
