#pragma once
// The conversation steps more than one command takes with a held receiver.

#include <string>

#include "ctl/ReceiverSession.h"
#include "keys/StatusReport.h"

namespace orvix {

// How long a command waits for the receiver's answer unless told otherwise, in seconds.
inline constexpr double kDefaultTimeout = 3;

// Sends the status query and returns the data of the first status report. A device error naming
// the command when the write fails, the receiver goes, no answer comes in time, or the user
// interrupts.
TByteDynArray queryLink(ReceiverSession& session, const std::string& command, double timeout);

// The deadline that many seconds from now.
CommandLoop::Clock::time_point deadlineIn(double seconds);

}  // namespace orvix
