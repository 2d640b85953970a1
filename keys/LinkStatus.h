#pragma once
// The main window's side of the conversation with the receiver, without the window: the link state
// from the receiver's status reports, and the apply sequence that runs over it. The front end
// sends what it is told to (the status query when a receiver arrives, the key writes of the
// sequence) and shows the link state, the notices and the progress.

#include <optional>

#include "core/ByteArray.h"
#include "keys/ApplySequence.h"
#include "keys/StatusReport.h"

namespace orvix {

// What one status report did.
struct ReportEffect {
    bool linked = false;       // the link state the report sets
    bool linkChanged = false;  // it differs from the state before: a link notice is due
    ApplyStep step;            // what an acknowledgement did to a running sequence
};

class LinkStatus {
public:
    // One input report's data bytes. Nothing for a report of another length or kind, which
    // changes nothing. A loss of the link (0x81) leaves a running sequence waiting where it stands.
    std::optional<ReportEffect> onReport(const TByteDynArray& d);
    // The receiver went: the link is off, without a notice, and a running sequence ends.
    void removed();
    // "APPLY": the sequence starts again at row 0 with these pairs. Offered only while linked
    // (the window enables "APPLY" and "ENTER" only then); a write while not linked goes unanswered.
    ApplyStep startApply(const KeyWrites& writes) { return sequence_.start(writes); }

    bool linked() const { return linked_; }
    const ApplySequence& sequence() const { return sequence_; }

private:
    bool linked_ = false;
    ApplySequence sequence_;
};

}  // namespace orvix
