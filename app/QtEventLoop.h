#pragma once
// The event-loop port over Qt's event loop.

#include <QObject>

#include "core/EventLoop.h"

namespace orvix {

class QtEventLoop final : public EventLoop {
public:
    QtEventLoop();
    ~QtEventLoop() override;

    void post(std::function<void()> fn) override;
    std::unique_ptr<Watch> watchReadable(int fd, std::function<void()> onReadable) override;

private:
    // Lives on the main thread; posted calls run in its context and die with it.
    QObject context_;
};

}  // namespace orvix
