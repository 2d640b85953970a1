#pragma once
// The machine's HID stack on Linux: libudev lists and watches the hidraw nodes, sysfs gives their
// attributes and report descriptors, the nodes themselves carry the reports.

#include <filesystem>
#include <memory>

#include "hid/HidPlatform.h"
#include "hid/linux/DeviceChangeNotifier.h"
#include "hid/linux/UdevHid.h"

namespace orvix::linuxhid {

class LinuxHidPlatform final : public HidPlatform {
public:
    // sysRoot and runRoot: where sysfs and /run are; other folders only in tests.
    explicit LinuxHidPlatform(EventLoop& loop, std::filesystem::path sysRoot = "/sys",
                              std::filesystem::path runRoot = "/run");
    ~LinuxHidPlatform() override;

    bool usable() const override { return udev_ != nullptr; }
    std::vector<THidPnPInfo> scanInterfaces() override;
    std::unique_ptr<HidSyncHandle> openSync(const std::string& path, HidAccess access, uint32_t& error) override;
    std::unique_ptr<HidReadHandle> openRead(const std::string& path, uint32_t& error) override;
    void startNotifications(Notify notify) override;
    void stopNotifications() override;
    // The udev rule line that gives the user at the seat the hidraw nodes of this vendor and product.
    std::string writeAccessHint(const HidAttributes& attributes) const override;

private:
    EventLoop& loop_;
    std::filesystem::path sysRoot_;
    std::filesystem::path runRoot_;
    UdevContext udev_;
    std::unique_ptr<DeviceChangeNotifier> notifier_;
};

}  // namespace orvix::linuxhid

namespace orvix {
// The machine's own HID stack (chosen by makeHidPlatform unless ORVIX_HID=sim).
std::unique_ptr<HidPlatform> makeNativeHidPlatform(EventLoop& loop);
}  // namespace orvix
