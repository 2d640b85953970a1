#pragma once
// An event handler slot with identity. Copies of one Handler compare equal, so a component can tell
// whether a device still carries the default it was given ("replace only the old default").

#include <functional>
#include <memory>
#include <type_traits>
#include <utility>

namespace orvix {

template <class Sig>
class Handler;

template <class R, class... Args>
class Handler<R(Args...)> {
public:
    Handler() = default;
    Handler(std::nullptr_t) {}

    template <class F>
    requires(!std::is_same_v<std::decay_t<F>, Handler> && !std::is_same_v<std::decay_t<F>, std::nullptr_t> &&
             std::is_invocable_r_v<R, F&, Args...>) Handler(F f)
        : fn_(std::make_shared<const std::function<R(Args...)>>(std::move(f))) {}

    explicit operator bool() const { return fn_ && *fn_; }
    R operator()(Args... args) const { return (*fn_)(std::forward<Args>(args)...); }
    bool operator==(const Handler& other) const { return fn_ == other.fn_; }

private:
    std::shared_ptr<const std::function<R(Args...)>> fn_;
};

}  // namespace orvix
