#include "app/QtEventLoop.h"

#include <QMetaObject>
#include <QSocketNotifier>

namespace orvix {

namespace {

class NotifierWatch final : public EventLoop::Watch {
public:
    // The notifier has no parent: the watch alone decides how long it lives.
    NotifierWatch(int fd, std::function<void()> onReadable, QObject* context) : notifier_(fd, QSocketNotifier::Read) {
        QObject::connect(&notifier_, &QSocketNotifier::activated, context, [fn = std::move(onReadable)] { fn(); });
    }

private:
    QSocketNotifier notifier_;
};

}  // namespace

QtEventLoop::QtEventLoop() = default;
QtEventLoop::~QtEventLoop() = default;

void QtEventLoop::post(std::function<void()> fn) {
    QMetaObject::invokeMethod(
        &context_, [fn = std::move(fn)] { fn(); }, Qt::QueuedConnection);
}

std::unique_ptr<EventLoop::Watch> QtEventLoop::watchReadable(int fd, std::function<void()> onReadable) {
    return std::make_unique<NotifierWatch>(fd, std::move(onReadable), &context_);
}

}  // namespace orvix
