#pragma once
// Turns a readable device-change descriptor into the port's notify calls on the main thread:
// notify(-1) once for the start-up scan, then notify(0) for each batch of events. Nothing is called
// once the notifier is gone, not even calls it had already posted to the loop.

#include <memory>

#include "core/EventLoop.h"
#include "hid/HidPlatform.h"

namespace orvix::linuxhid {

class DeviceChangeSource {
public:
    virtual ~DeviceChangeSource() = default;
    virtual int fd() const = 0;
    // Reads every queued event. True when at least one came (or some were lost).
    virtual bool drain() = 0;
};

class DeviceChangeNotifier {
public:
    // source may be null (no monitor could be made): then only the start-up call comes.
    DeviceChangeNotifier(EventLoop& loop, std::unique_ptr<DeviceChangeSource> source, HidPlatform::Notify notify);
    ~DeviceChangeNotifier();
    DeviceChangeNotifier(const DeviceChangeNotifier&) = delete;
    DeviceChangeNotifier& operator=(const DeviceChangeNotifier&) = delete;

private:
    // Shared with the calls posted to the loop; they do nothing once alive is false.
    struct Token {
        bool alive = true;
        bool changePosted = false;  // a notify(0) waits in the loop: later events join it
        HidPlatform::Notify notify;
    };
    static void call(const std::shared_ptr<Token>& token, int32_t trigger);

    std::shared_ptr<Token> token_;
    std::unique_ptr<DeviceChangeSource> source_;
    std::unique_ptr<EventLoop::Watch> watch_;  // after source_: ends before the source closes
};

}  // namespace orvix::linuxhid
