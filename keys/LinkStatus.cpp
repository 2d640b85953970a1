#include "keys/LinkStatus.h"

namespace orvix {

std::optional<ReportEffect> LinkStatus::onReport(const TByteDynArray& d) {
    std::optional<StatusReport> report = readStatusReport(d);
    if (!report) return std::nullopt;
    ReportEffect effect;
    effect.linked = report->linked();
    effect.linkChanged = effect.linked != linked_;
    linked_ = effect.linked;
    if (report->kind == StatusKind::Acknowledged) effect.step = sequence_.acknowledge(report->keyIndex);
    return effect;
}

void LinkStatus::removed() {
    linked_ = false;
    sequence_.stop();
}

}  // namespace orvix
