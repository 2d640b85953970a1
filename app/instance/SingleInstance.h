#pragma once
// One copy per logon session: the first copy holds the instance name and listens for wake
// requests; a later start finds the name taken, posts the wake request and ends.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>

#include "core/EventLoop.h"

namespace orvix {

inline constexpr const char* kInstanceName = "Quano Tessel V1.01";
inline constexpr uintptr_t kWakeSignature = 45470;  // wParam of a wake request
inline constexpr intptr_t kWakeOpen = 1;            // lParam: open the window
// lParam of the message that goes just before a wake and carries the second start's activation
// token (what a Wayland compositor asks of a window that wants to come to the front). It travels
// on its own: a copy that knows no tokens drops it and still opens the window at the wake.
inline constexpr intptr_t kWakeToken = 2;
inline constexpr size_t kMaxActivationToken = 255;

struct PostedMessage {
    PostedMessage() = default;
    PostedMessage(uint32_t m, uintptr_t w, intptr_t l, std::string t = {})
        : msg(m), wParam(w), lParam(l), token(std::move(t)) {}

    uint32_t msg = 0;
    uintptr_t wParam = 0;
    intptr_t lParam = 0;
    std::string token;  // only on a kWakeToken message
};

// A token the program hands on: 1 to kMaxActivationToken visible ASCII characters (no blanks, no
// control characters), so it can neither be cut nor break the message it rides in.
bool activationTokenAcceptable(std::string_view token);

class SingleInstance {
public:
    virtual ~SingleInstance() = default;

    // Creates the instance mutex (held until the process ends). True only when the name already
    // existed; any other failure counts as a first copy, so a start is never prevented.
    virtual bool createMutex() = 0;
    // Whether a copy holds the instance name now. Takes nothing, so a copy that starts meanwhile
    // is never turned away; other programs (the command-line tool) ask before they use the receiver.
    virtual bool nameTaken() = 0;
    // The message number registered for the instance name; the same in every process.
    virtual uint32_t registerWakeMessage() = 0;
    // Posts the message to every copy's top-level windows; never waits for them.
    virtual void broadcast(const PostedMessage& message) = 0;
    // First copy: hands every message that reaches it to onMessage on the main thread.
    // Returns false when it cannot listen (the copy still runs).
    virtual bool listen(EventLoop& loop, std::function<void(const PostedMessage&)> onMessage) = 0;
};

// The single-instance mechanism of this platform.
std::unique_ptr<SingleInstance> makeSingleInstance();

// A second start: registers the wake message and broadcasts the wake request, preceded by the
// activation token the start was given (none, or one not acceptable, is not sent).
void wakeFirstInstance(SingleInstance& instance, const char* activationToken = nullptr);

}  // namespace orvix
