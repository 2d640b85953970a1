#pragma once
// The receiver as a command holds it: the window's connection logic with the stored identifiers,
// its events queued for the command to take at its own pace.

#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "ctl/CommandLoop.h"
#include "ctl/StoredSettings.h"
#include "hidMain/ReceiverConnection.h"

namespace orvix {

class ReceiverSession final : public ConsoleView {
public:
    using Clock = CommandLoop::Clock;

    struct Event {
        enum Kind {
            Arrived,  // a receiver was taken
            Report,   // one input report's data bytes
            Removed,  // the receiver went
        };
        Kind kind = Report;
        TByteDynArray data;
    };

    // log: receives the console's lines ("Dev on-> ...", "W: ...", "R: ...", "Dev out"); without
    // it none are made.
    ReceiverSession(CommandLoop& loop, const StoredSettings& settings,
                    std::function<void(const std::string&)> log = {});
    ~ReceiverSession() override;

    // Lists the devices now (the first scan, which otherwise comes from the loop); with
    // takeReceiver the receiver is taken as the window takes it. Returns whether one is held.
    bool scan(bool takeReceiver);
    // Takes the receiver. A device error when there is none, or (forWriting) when this user may
    // not write to it, with what to do about it.
    void take(bool forWriting);
    bool held() const { return connection_->devOn(); }
    ReceiverConnection& connection() { return *connection_; }

    // The next event, waiting at most until the deadline; nothing when none came in time or the
    // user interrupted.
    std::optional<Event> next(Clock::time_point deadline);

    bool showing() const override { return static_cast<bool>(log_); }
    void appendLine(const std::string& s) override;
    void setCaption(const std::string&) override {}
    void setAccessHint(const std::string& s) override { accessHint_ = s; }
    const std::string& accessHint() const { return accessHint_; }

private:
    CommandLoop& loop_;
    std::function<void(const std::string&)> log_;
    std::string accessHint_;
    std::deque<Event> events_;
    std::unique_ptr<ReceiverConnection> connection_;
};

// The window's program holds the receiver in this session: a device error saying so, for the
// commands that write to it.
void refuseWhileWindowRuns(const std::string& command);

}  // namespace orvix
