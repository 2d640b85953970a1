#include "ctl/ReceiverSession.h"

#include <cstdio>

#include "app/instance/SingleInstance.h"
#include "ctl/CommandError.h"

namespace orvix {

ReceiverSession::ReceiverSession(CommandLoop& loop, const StoredSettings& settings,
                                 std::function<void(const std::string&)> log)
    : loop_(loop), log_(std::move(log)) {
    std::string problem = hidPlatformProblem();
    if (!problem.empty()) throw usageError(problem);
    connection_ = std::make_unique<ReceiverConnection>(makeHidPlatform(loop), loop, *this);
    connection_->vid = settings.vid;
    connection_->pid = settings.pid;
    connection_->setOnDevChange([this](bool on) { events_.push_back({on ? Event::Arrived : Event::Removed, {}}); });
    connection_->setOnDevDataIn([this](const TByteDynArray& d) { events_.push_back({Event::Report, d}); });
}

ReceiverSession::~ReceiverSession() { connection_.reset(); }

void ReceiverSession::appendLine(const std::string& s) {
    if (log_) log_(s);
}

bool ReceiverSession::scan(bool takeReceiver) {
    ReceiverConnection& c = *connection_;
    // A handler of our own runs the first scan now instead of from the loop; the connection then
    // takes the receiver exactly as in the window, and follows its changes from there.
    c.chid.setOnDeviceChange([&c, takeReceiver](THidDeviceController&) {
        if (takeReceiver) c.chidDeviceChange();
    });
    return c.devOn();
}

void ReceiverSession::take(bool forWriting) {
    ReceiverConnection& c = *connection_;
    if (!c.chid.usable()) throw deviceError("the system's HID support cannot be used");
    if (!scan(true)) {
        char text[200];
        std::snprintf(text, sizeof text,
                      "no receiver found (vendor %04X with product 00A5 or above, or %04X:%04X from the settings);"
                      " is it plugged in?",
                      ReceiverConnection::defaultVid, c.vid, c.pid);
        throw deviceError(text);
    }
    if (forWriting && !c.heldDevice()->HasReadWriteAccess()) {
        std::string hint = accessHint_.empty() ? "this user may not write to the receiver" : accessHint_;
        throw deviceError(hint);
    }
}

std::optional<ReceiverSession::Event> ReceiverSession::next(Clock::time_point deadline) {
    loop_.runUntil([this] { return !events_.empty(); }, deadline);
    if (events_.empty()) return std::nullopt;
    Event e = std::move(events_.front());
    events_.pop_front();
    return e;
}

void refuseWhileWindowRuns(const std::string& command) {
    if (!makeSingleInstance()->nameTaken()) return;
    // On Linux both programs could open the receiver, but the window would take the answers to
    // these writes as its own (an acknowledgement can move its apply sequence on).
    throw deviceError(command +
                      ": orvix-mouse is running and holds the receiver; use its window, or choose \"Exit\" in its"
                      " tray menu and try again");
}

}  // namespace orvix
