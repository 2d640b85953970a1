#include "hid/linux/LinuxHidPlatform.h"

#include <cstdio>

#include "hid/linux/HidInterfaceList.h"
#include "hid/linux/HidrawNode.h"

namespace orvix {

namespace linuxhid {

LinuxHidPlatform::LinuxHidPlatform(EventLoop& loop, std::filesystem::path sysRoot, std::filesystem::path runRoot)
    : loop_(loop), sysRoot_(std::move(sysRoot)), runRoot_(std::move(runRoot)), udev_(makeUdevContext()) {}

LinuxHidPlatform::~LinuxHidPlatform() { stopNotifications(); }

std::vector<THidPnPInfo> LinuxHidPlatform::scanInterfaces() { return interfaceEntries(listHidrawNodes(udev_.get())); }

std::unique_ptr<HidSyncHandle> LinuxHidPlatform::openSync(const std::string& path, HidAccess access, uint32_t& error) {
    return openHidrawSync(path, access, sysRoot_, error);
}

std::unique_ptr<HidReadHandle> LinuxHidPlatform::openRead(const std::string& path, uint32_t& error) {
    return openHidrawRead(path, sysRoot_, error);
}

void LinuxHidPlatform::startNotifications(Notify notify) {
    notifier_.reset();
    // The monitor listens before the start-up scan runs, so no change between the two is missed.
    auto monitor = makeHidrawMonitor(udev_.get(), monitorSourceName(runRoot_));
    notifier_ = std::make_unique<DeviceChangeNotifier>(loop_, std::move(monitor), std::move(notify));
}

void LinuxHidPlatform::stopNotifications() { notifier_.reset(); }

std::string LinuxHidPlatform::writeAccessHint(const HidAttributes& attributes) const {
    // sysfs shows idVendor and idProduct as four lower-case hex digits; the rule must match them so.
    char rule[160];
    std::snprintf(rule, sizeof rule,
                  "SUBSYSTEM==\"hidraw\", ATTRS{idVendor}==\"%04x\", ATTRS{idProduct}==\"%04x\", TAG+=\"uaccess\"",
                  unsigned{attributes.VendorID}, unsigned{attributes.ProductID});
    // Why, then how: the package's rule, or this one by hand; the rule comes last, to be copied.
    return std::string("No write access. A udev rule grants it to the user at the seat (a remote login does not get it); "
                       "the orvix-mouse package installs one. By hand: put this line into "
                       "/etc/udev/rules.d/70-orvix-mouse.rules, then run \"sudo udevadm control --reload && sudo "
                       "udevadm trigger --subsystem-match=hidraw --action=change\" (no replug needed): ") +
           rule;
}

}  // namespace linuxhid

std::unique_ptr<HidPlatform> makeNativeHidPlatform(EventLoop& loop) {
    return std::make_unique<linuxhid::LinuxHidPlatform>(loop);
}

}  // namespace orvix
