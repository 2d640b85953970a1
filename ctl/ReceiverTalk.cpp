#include "ctl/ReceiverTalk.h"

#include "ctl/CommandError.h"
#include "ctl/TextFormat.h"

namespace orvix {

CommandLoop::Clock::time_point deadlineIn(double seconds) {
    return CommandLoop::Clock::now() +
           std::chrono::duration_cast<CommandLoop::Clock::duration>(std::chrono::duration<double>(seconds));
}

TByteDynArray queryLink(ReceiverSession& session, const std::string& command, double timeout) {
    if (!session.connection().uSendA4(statusQuery))
        throw deviceError(command + ": writing the status query to the receiver failed");
    auto deadline = deadlineIn(timeout);
    for (;;) {
        std::optional<ReceiverSession::Event> event = session.next(deadline);
        if (!event) {
            if (CommandLoop::interrupted()) throw deviceError(command + ": interrupted");
            throw deviceError(command + ": the receiver did not answer the status query within " +
                              secondsText(timeout));
        }
        if (event->kind == ReceiverSession::Event::Removed) throw deviceError(command + ": the receiver was removed");
        if (event->kind != ReceiverSession::Event::Report) continue;
        if (readStatusReport(event->data)) return event->data;
    }
}

}  // namespace orvix
