// orvixctl status: whether the mouse is linked to its receiver.

#include <iostream>

#include "ctl/Command.h"
#include "ctl/CommandError.h"
#include "ctl/Options.h"
#include "ctl/ReceiverSession.h"
#include "ctl/ReceiverTalk.h"

namespace orvix {

namespace {

int run(const std::vector<std::string>& args) {
    Options options(args, {{"--timeout", true}});
    if (!options.operands().empty()) throw usageError("status: unexpected '" + options.operands()[0] + "'");
    double timeout = options.seconds("--timeout", kDefaultTimeout);
    refuseWhileWindowRuns("status");
    CommandLoop loop;
    ReceiverSession session(loop, readStoredSettings());
    session.take(true);
    bool linked = readStatusReport(queryLink(session, "status", timeout))->linked();
    std::cout << (linked ? "linked" : "not linked") << std::endl;
    return linked ? kDone : kDeviceError;
}

}  // namespace

const Command statusCommand{
    "status",
    "whether the mouse is linked to the receiver",
    R"(usage: orvixctl status [--timeout SECONDS]

Takes the receiver, sends the status query and prints "linked" or "not linked". Exits with 0 when
the mouse is linked, 1 when it is not, or when there is no receiver or no answer.

  --timeout SECONDS   how long to wait for the answer (default 3)
)",
    run,
};

}  // namespace orvix
