#pragma once
// A notification area the test switches on and off: present() asks the test's own flag, and
// announce() tells the window that it changed, as a host that starts or quits does.

#include <functional>
#include <memory>
#include <utility>

#include "app/tray/TrayHost.h"

namespace orvix::test {

class FakeTrayHost : public TrayHost {
public:
    explicit FakeTrayHost(std::function<bool()> present) : present_(std::move(present)) {}
    bool present() const override { return present_(); }
    void iconMade() override { ++iconsMade; }
    void announce() { emit changed(); }

    int iconsMade = 0;

private:
    std::function<bool()> present_;
};

}  // namespace orvix::test
