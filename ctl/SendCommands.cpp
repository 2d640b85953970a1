// orvixctl send and orvixctl a4: the HID console's two send operations.

#include <cstdio>
#include <iostream>

#include "core/AsciiText.h"
#include "ctl/Command.h"
#include "ctl/CommandError.h"
#include "ctl/Options.h"
#include "ctl/ReceiverSession.h"
#include "ctl/ReceiverTalk.h"
#include "ctl/TextFormat.h"
#include "hidMain/HexText.h"

namespace orvix {

namespace {

// Prints the console's "W: " and "R: " lines.
void printExchange(const std::string& line) {
    if (line.rfind("W: ", 0) == 0 || line.rfind("R: ", 0) == 0) std::cout << line << std::endl;
}

// Sends through a held receiver, then waits for its first answer unless told not to.
int exchange(const std::string& command, const Options& options, const std::function<bool(ReceiverConnection&)>& send) {
    double timeout = options.seconds("--timeout", kDefaultTimeout);
    refuseWhileWindowRuns(command);
    CommandLoop loop;
    ReceiverSession session(loop, readStoredSettings(), printExchange);
    session.take(true);
    if (!send(session.connection())) throw deviceError(command + ": the write to the receiver failed");
    if (options.has("--no-wait")) return kDone;
    auto deadline = deadlineIn(timeout);
    for (;;) {
        std::optional<ReceiverSession::Event> event = session.next(deadline);
        if (!event) {
            if (CommandLoop::interrupted()) throw deviceError(command + ": interrupted");
            throw deviceError(command + ": no answer from the receiver within " + secondsText(timeout));
        }
        if (event->kind == ReceiverSession::Event::Removed) throw deviceError(command + ": the receiver was removed");
        if (event->kind == ReceiverSession::Event::Report) return kDone;
    }
}

// The console takes a token it cannot read as 0; here that would send something nobody asked for.
uint32_t hexNumber(const std::string& command, const std::string& token) {
    std::optional<uint32_t> value = hexToken(token);
    if (!value)
        throw usageError(command + ": '" + token + "' is not a hexadecimal number (digits only, no 0x, at most 8)");
    return *value;
}

int runSend(const std::vector<std::string>& args) {
    Options options(args, {{"--timeout", true}, {"--no-wait"}});
    if (options.operands().empty())
        throw usageError("send: give the bytes to send, such as: send 02 01 A4 1F 00 00 3D");
    std::string text;
    for (const std::string& word : options.operands()) {
        std::string t = trimControl(word);
        // Words are tokens, and so are the blank-separated parts of a quoted one.
        size_t start = 0;
        while (start <= t.size()) {
            size_t blank = t.find(' ', start);
            std::string token = t.substr(start, blank == std::string::npos ? std::string::npos : blank - start);
            if (!token.empty()) {
                hexNumber("send", token);
                text += (text.empty() ? "" : " ") + token;
            }
            if (blank == std::string::npos) break;
            start = blank + 1;
        }
    }
    if (text.empty()) throw usageError("send: give the bytes to send, such as: send 02 01 A4 1F 00 00 3D");
    TByteDynArray bytes = hexToBytes(text);
    if (bytes.size() > 7) std::cerr << "orvixctl: send: a report carries 7 bytes; the rest are not sent\n";
    return exchange("send", options, [&bytes](ReceiverConnection& c) { return c.uSendData(bytes); });
}

int runA4(const std::vector<std::string>& args) {
    Options options(args, {{"--timeout", true}, {"--no-wait"}});
    if (options.operands().size() != 1) throw usageError("a4: give one argument in hexadecimal, such as: a4 1F");
    uint32_t argument = hexNumber("a4", options.operands()[0]);
    return exchange("a4", options, [argument](ReceiverConnection& c) { return c.uSendA4(argument); });
}

}  // namespace

const Command sendCommand{
    "send",
    "send bytes to the receiver, as the HID console's Send does",
    R"(usage: orvixctl send [--timeout SECONDS] [--no-wait] HEX...

Sends one output report: report ID 4, then the bytes given (at most 7; fewer are padded with
zeros). Each byte is a hexadecimal number of digits only (either case, no 0x); of a longer one
the low 8 bits are sent, as in the console. Prints the console's "W: " line, then the "R: " line
of the receiver's first answer.

  --timeout SECONDS   how long to wait for the answer (default 3); no answer is a failure
  --no-wait           send and end without waiting for an answer
)",
    runSend,
};

const Command a4Command{
    "a4",
    "send an A4 frame, as the HID console's A4 Data does",
    R"(usage: orvixctl a4 [--timeout SECONDS] [--no-wait] ARG

Sends the A4 frame 02 01 A4 a0 a1 a2 ck for the hexadecimal argument ARG (digits only, no 0x,
at most 8; its low three bytes are sent, lowest first, with their checksum). "a4 1F" is the status
query. Prints the console's "W: " line, then the "R: " line of the receiver's first answer.

  --timeout SECONDS   how long to wait for the answer (default 3); no answer is a failure
  --no-wait           send and end without waiting for an answer
)",
    runA4,
};

}  // namespace orvix
