#include "keys/StatusReport.h"

namespace orvix {

std::optional<StatusReport> readStatusReport(const TByteDynArray& d) {
    if (d.size() != 7) return std::nullopt;
    switch (d[0]) {
    case 0x80:
    case 0x8A: return StatusReport{StatusKind::Linked};
    case 0x81: return StatusReport{StatusKind::NotLinked};
    case 0x89: return StatusReport{StatusKind::Acknowledged, d[2]};
    default: return std::nullopt;
    }
}

}  // namespace orvix
