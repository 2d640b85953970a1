#pragma once
// The half below the windows reaches the application's event loop only through this port.
// The application implements it with Qt; tests implement it with a small loop of their own.

#include <functional>
#include <memory>

namespace orvix {

class EventLoop {
public:
    // Keeps a readable-descriptor watch alive; destroying it ends the watch.
    class Watch {
    public:
        virtual ~Watch() = default;
    };

    virtual ~EventLoop() = default;

    // Runs fn on the main thread from the event loop, later, in posting order.
    // Callable from any thread.
    virtual void post(std::function<void()> fn) = 0;

    // Calls onReadable on the main thread whenever fd is readable, until the watch is destroyed.
    // Used by backends whose device-change source is a descriptor (the udev monitor).
    virtual std::unique_ptr<Watch> watchReadable(int fd, std::function<void()> onReadable) = 0;
};

}  // namespace orvix
