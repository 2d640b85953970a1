#pragma once
// One copy per logon session: the first copy holds the instance name and listens for wake
// requests; a later start finds the name taken, posts the wake request and ends.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "core/EventLoop.h"

namespace orvix {

inline constexpr const char* kInstanceName = "Quano Tessel V1.01";
inline constexpr uintptr_t kWakeSignature = 45470;  // wParam of a wake request
inline constexpr intptr_t kWakeOpen = 1;            // lParam: open the window

struct PostedMessage {
    uint32_t msg = 0;
    uintptr_t wParam = 0;
    intptr_t lParam = 0;
};

class SingleInstance {
public:
    virtual ~SingleInstance() = default;

    // Creates the instance mutex (held until the process ends). True only when the name already
    // existed; any other failure counts as a first copy, so a start is never prevented.
    virtual bool createMutex() = 0;
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

// A second start: registers the wake message and broadcasts the wake request.
void wakeFirstInstance(SingleInstance& instance);

}  // namespace orvix
