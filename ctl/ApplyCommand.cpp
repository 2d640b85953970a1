// orvixctl apply: writes the five keys' functions to the receiver, each acknowledged before the
// next, with the window's sequence and a timeout the window does not have.

#include <cstdio>
#include <iostream>

#include "ctl/Assignment.h"
#include "ctl/Command.h"
#include "ctl/CommandError.h"
#include "ctl/Console.h"
#include "ctl/Options.h"
#include "ctl/ReceiverSession.h"
#include "ctl/ReceiverTalk.h"
#include "ctl/TextFormat.h"
#include "keys/LinkStatus.h"

namespace orvix {

namespace {

struct KeyPlan {
    std::string caption;
    KeyWrite write;
};

// Progress on a terminal only: one line, rewritten in place.
class Progress {
public:
    explicit Progress(bool shown) : shown_(shown) {}
    ~Progress() { end(); }
    void show(int key, const std::string& caption, int percent) {
        if (!shown_) return;
        std::fprintf(stderr, "\r\033[Kapply: key %d (%s) %d%%", key, caption.c_str(), percent);
        std::fflush(stderr);
        open_ = true;
    }
    void end() {
        if (open_) std::fputc('\n', stderr);
        open_ = false;
    }
    void finish() {
        if (!shown_) return;
        std::fputs("\r\033[Kapply: all five keys written\n", stderr);
        open_ = false;
    }

private:
    bool shown_;
    bool open_ = false;
};

std::array<KeyPlan, 5> plan(const Assignment& assignment, const std::array<KeyRowDefault, 5>& defaults) {
    std::array<KeyPlan, 5> keys;
    for (size_t i = 0; i < 5; ++i) {
        int32_t code = assignment[i] ? assignment[i]->code : defaults[i].code;
        keys[i].caption = assignment[i] ? assignment[i]->caption : defaults[i].caption;
        keys[i].write = {defaults[i].deviceKeyIndex, wireOrder(code)};
    }
    return keys;
}

void write(ReceiverSession& session, const std::array<KeyPlan, 5>& keys, double timeout) {
    Progress progress(stderrIsTerminal());
    LinkStatus link;
    link.onReport(queryLink(session, "apply", timeout));
    if (!link.linked())
        throw deviceError("apply: the mouse is not linked to the receiver; switch it on (or link it) and try again");

    KeyWrites writes;
    for (size_t i = 0; i < 5; ++i) writes[i] = keys[i].write;
    ApplyStep step = link.startApply(writes);
    int row = -1;
    auto deadline = deadlineIn(timeout);
    int wrongKey = -1;  // the device key index the last wrong acknowledgement named
    for (;;) {
        int current = link.sequence().row();
        auto name = [&] { return "key " + std::to_string(current + 1) + " (" + keys[size_t(current)].caption + ")"; };
        for (int percent : step.progress) progress.show(current + 1, keys[size_t(current)].caption, percent);
        if (step.finished) {
            progress.finish();
            return;
        }
        if (step.send) {
            if (current != row) {  // the timeout is per key, whatever rewrites it takes
                row = current;
                deadline = deadlineIn(timeout);
                wrongKey = -1;
            }
            if (!session.connection().uSendA4(*step.send)) {
                progress.end();
                throw deviceError("apply: writing " + name() + " to the receiver failed");
            }
        }
        step = {};
        std::optional<ReceiverSession::Event> event = session.next(deadline);
        if (!event) {
            progress.end();
            if (CommandLoop::interrupted()) throw deviceError("apply: interrupted while writing " + name());
            std::string why = wrongKey < 0 ? "no acknowledgement from the receiver within " + secondsText(timeout)
                                           : "the receiver acknowledged device key " + std::to_string(wrongKey) +
                                                 " instead of " + std::to_string(keys[size_t(current)].write.keyIndex) +
                                                 " until the timeout (" + secondsText(timeout) + ")";
            throw deviceError("apply: " + name() + ": " + why);
        }
        if (event->kind == ReceiverSession::Event::Removed) {
            progress.end();
            throw deviceError("apply: the receiver was removed while writing " + name());
        }
        if (event->kind != ReceiverSession::Event::Report) continue;
        std::optional<ReportEffect> effect = link.onReport(event->data);
        if (!effect) continue;
        if (!effect->linked) {
            progress.end();
            throw deviceError("apply: the mouse lost its link to the receiver while writing " + name());
        }
        std::optional<StatusReport> report = readStatusReport(event->data);
        if (report && report->kind == StatusKind::Acknowledged &&
            report->keyIndex != keys[size_t(current)].write.keyIndex)
            wrongKey = report->keyIndex;
        step = effect->step;
    }
}

int run(const std::vector<std::string>& args) {
    Options options(args, {{"--reset"}, {"--from", true}, {"--timeout", true}});
    double timeout = options.seconds("--timeout", kDefaultTimeout);
    if (options.has("--reset") && (options.has("--from") || !options.operands().empty()))
        throw usageError("apply: --reset gives every key its default; name no KEY=FUNCTION and no --from with it");
    StoredSettings settings = readStoredSettings();
    std::string folder = programFolder();
    FunctionResolver resolver(folder, functionsInLanguage(folder, settings.lang));
    Assignment assignment = gatherAssignment(options.value("--from"), options.operands(), resolver);
    std::array<KeyPlan, 5> keys = plan(assignment, keyRowDefaults(resolver.shown()));

    refuseWhileWindowRuns("apply");
    CommandLoop loop;
    ReceiverSession session(loop, settings);
    session.take(true);
    write(session, keys, timeout);
    return kDone;
}

}  // namespace

const Command applyCommand{
    "apply",
    "write the five keys' functions to the receiver",
    R"(usage: orvixctl apply [--timeout SECONDS] [--from FILE] [KEY=FUNCTION ...]
       orvixctl apply --reset [--timeout SECONDS]

Writes a function to each of the five keys, one key at a time, each acknowledged by the receiver
before the next, as the window's APPLY does. KEY is the number shown on screen, 2 to 5 (key 1 is
fixed). FUNCTION is a caption of any language folder (letter case ignored), an entry name, or a
raw code such as 0x1045 (see 'orvixctl functions'). Keys not named get their defaults, as after
RESET in the window. Progress shows on a terminal; otherwise the command is quiet.

  --from FILE         take KEY=FUNCTION lines from a layout file ('orvixctl save' writes one);
                      words on the command line override its lines
  --reset             every key gets its default
  --timeout SECONDS   how long to wait for each answer of the receiver (default 3)

Fails (exit 1), naming the key, when the receiver is missing or cannot be written, the mouse is
not linked, or an acknowledgement does not come in time.
)",
    run,
};

}  // namespace orvix
