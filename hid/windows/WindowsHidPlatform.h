#pragma once
// The machine's HID stack on Windows: SetupAPI lists the HID interfaces, HID.dll gives their
// attributes and capabilities, file handles on the interface paths carry the reports, and a
// hidden top-level window hears the device-node change broadcasts.

#include <memory>

#include "hid/HidPlatform.h"
#include "hid/windows/DeviceChangeWindow.h"
#include "hid/windows/HidLibraries.h"

namespace orvix::winhid {

// cbSize of SP_DEVICE_INTERFACE_DETAIL_DATA_W: its fixed header for this process's bitness.
inline constexpr DWORD kDetailHeaderSize = sizeof(void*) == 8 ? 8 : 6;

class WindowsHidPlatform final : public HidPlatform {
public:
    explicit WindowsHidPlatform(EventLoop& loop);
    ~WindowsHidPlatform() override;

    bool usable() const override { return libs_->usable(); }
    std::vector<THidPnPInfo> scanInterfaces() override;
    std::unique_ptr<HidSyncHandle> openSync(const std::string& path, HidAccess access, uint32_t& error) override;
    std::unique_ptr<HidReadHandle> openRead(const std::string& path, uint32_t& error) override;
    // Must run on the thread whose message queue is pumped: the window lives there.
    void startNotifications(Notify notify) override;
    void stopNotifications() override;

    const GUID& hidGuid() const { return libs_->hidGuid(); }
    // The notification window while notifications run, else null.
    HWND notificationWindow() const { return window_ ? window_->handle() : nullptr; }

private:
    EventLoop& loop_;
    std::shared_ptr<const HidLibraries> libs_;
    std::unique_ptr<DeviceChangeWindow> window_;
    std::shared_ptr<bool> started_;  // cleared by stopNotifications; guards a fallback start-up scan
};

}  // namespace orvix::winhid

namespace orvix {
// The machine's own HID stack (chosen by makeHidPlatform unless ORVIX_HID=sim).
std::unique_ptr<HidPlatform> makeNativeHidPlatform(EventLoop& loop);
}  // namespace orvix
