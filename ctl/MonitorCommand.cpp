// orvixctl monitor: the HID console's log, with timestamps, until interrupted.

#include <chrono>
#include <cstdio>
#include <ctime>
#include <iostream>

#include "app/instance/SingleInstance.h"
#include "ctl/Command.h"
#include "ctl/CommandError.h"
#include "ctl/Options.h"
#include "ctl/ReceiverSession.h"
#include "keys/StatusReport.h"

namespace orvix {

namespace {

// Local time to the millisecond: 14:03:27.412
std::string timestamp() {
    auto now = std::chrono::system_clock::now();
    std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
    char text[32] = "";
    if (const std::tm* local = std::localtime(&seconds)) std::strftime(text, sizeof text, "%H:%M:%S", local);
    char full[48];
    std::snprintf(full, sizeof full, "%s.%03d", text, static_cast<int>(ms));
    return full;
}

void printLine(const std::string& line) { std::cout << timestamp() << ' ' << line << std::endl; }

int run(const std::vector<std::string>& args) {
    Options options(args, {{"--no-query"}});
    if (!options.operands().empty()) throw usageError("monitor: unexpected '" + options.operands()[0] + "'");
    // Reading beside the window is safe: each program that has the receiver open gets every
    // report. Writing is not (see status), so the window's program is never sent a query.
    bool query = !options.has("--no-query") && !makeSingleInstance()->nameTaken();
    CommandLoop loop;
    ReceiverSession session(loop, readStoredSettings(), printLine);
    session.scan(true);
    bool noted = false;
    while (!CommandLoop::interrupted()) {
        if (session.held() && !noted && !session.accessHint().empty()) {
            std::cerr << "orvixctl: " << session.accessHint() << std::endl;
            noted = true;
        }
        std::optional<ReceiverSession::Event> event = session.next(CommandLoop::Clock::time_point::max());
        if (!event) continue;
        if (event->kind == ReceiverSession::Event::Arrived && query) session.connection().uSendA4(statusQuery);
        if (event->kind == ReceiverSession::Event::Removed) noted = false;
        if (!std::cout) return kDeviceError;  // nobody reads any more
    }
    return kDone;
}

}  // namespace

const Command monitorCommand{
    "monitor",
    "the receiver's reports as they come, until interrupted",
    R"(usage: orvixctl monitor [--no-query]

Shows the HID console's lines with the local time, until Ctrl+C: "Dev on-> V:... P:... N:..."
when the receiver is taken, "W: " for each report written to it, "R: " for each report it sends,
"Dev out" when it goes. A receiver that comes later is taken when it comes. When it is taken the
status query is sent, as the window does, so the link state shows at once.

  --no-query   send nothing (also the case while orvix-mouse is running, which holds the
               receiver: the monitor then only reads, beside it)
)",
    run,
};

}  // namespace orvix
