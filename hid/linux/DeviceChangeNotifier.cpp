#include "hid/linux/DeviceChangeNotifier.h"

namespace orvix::linuxhid {

DeviceChangeNotifier::DeviceChangeNotifier(EventLoop& loop, std::unique_ptr<DeviceChangeSource> source,
                                           HidPlatform::Notify notify)
    : token_(std::make_shared<Token>()), source_(std::move(source)) {
    token_->notify = std::move(notify);
    auto token = token_;
    loop.post([token] { call(token, -1); });
    if (!source_) return;
    // The watch only drains and posts: notify runs from the loop, never inside the watch, so it may
    // stop the notifications (and end this watch) freely.
    DeviceChangeSource* events = source_.get();
    EventLoop* mainLoop = &loop;
    watch_ = loop.watchReadable(events->fd(), [events, token, mainLoop] {
        if (!events->drain() || !token->alive || token->changePosted) return;
        token->changePosted = true;
        mainLoop->post([token] {
            token->changePosted = false;
            call(token, 0);
        });
    });
}

DeviceChangeNotifier::~DeviceChangeNotifier() {
    watch_.reset();
    token_->alive = false;
    token_->notify = nullptr;  // may run right now: call() runs a copy
}

void DeviceChangeNotifier::call(const std::shared_ptr<Token>& token, int32_t trigger) {
    if (!token->alive || !token->notify) return;
    HidPlatform::Notify notify = token->notify;
    notify(trigger);
}

}  // namespace orvix::linuxhid
