// Windows: the taskbar's notification area is part of the shell and is always there.

#include "app/tray/TrayHost.h"

namespace orvix {

namespace {

class NotificationAreaTrayHost : public TrayHost {
public:
    bool present() const override { return true; }
};

}  // namespace

std::unique_ptr<TrayHost> makeTrayHost() { return std::make_unique<NotificationAreaTrayHost>(); }

}  // namespace orvix
