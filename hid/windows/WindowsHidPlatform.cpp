#include "hid/windows/WindowsHidPlatform.h"

#include <string>
#include <vector>

#include "hid/windows/WinHidHandles.h"

namespace orvix {

namespace winhid {

static_assert(sizeof(void*) != 8 || sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W) == kDetailHeaderSize);

WindowsHidPlatform::WindowsHidPlatform(EventLoop& loop) : loop_(loop), libs_(std::make_shared<HidLibraries>()) {}

WindowsHidPlatform::~WindowsHidPlatform() { stopNotifications(); }

std::vector<THidPnPInfo> WindowsHidPlatform::scanInterfaces() {
    std::vector<THidPnPInfo> entries;
    if (!usable()) return entries;
    GUID guid = libs_->hidGuid();
    HDEVINFO set = libs_->getClassDevs(&guid, nullptr, nullptr, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
    if (set == INVALID_HANDLE_VALUE) return entries;
    for (DWORD index = 0;; ++index) {
        SP_DEVICE_INTERFACE_DATA iface{};
        iface.cbSize = sizeof iface;
        if (!libs_->enumDeviceInterfaces(set, nullptr, &guid, index, &iface)) break;
        // An interface whose detail cannot be read is left out; the scan goes on.
        SP_DEVINFO_DATA info{};
        info.cbSize = sizeof info;
        DWORD size = 0;
        if (libs_->getDeviceInterfaceDetail(set, &iface, nullptr, 0, &size, &info)) continue;
        if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || size == 0) continue;
        std::vector<uint64_t> buffer((size + sizeof(uint64_t) - 1) / sizeof(uint64_t));  // aligned for the header
        auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_W*>(buffer.data());
        detail->cbSize = kDetailHeaderSize;
        if (!libs_->getDeviceInterfaceDetail(set, &iface, detail, size, nullptr, &info)) continue;
        entries.push_back({narrow(detail->DevicePath), std::to_string(info.DevInst)});
    }
    libs_->destroyDeviceInfoList(set);
    return entries;
}

std::unique_ptr<HidSyncHandle> WindowsHidPlatform::openSync(const std::string& path, HidAccess access,
                                                            uint32_t& error) {
    if (!usable()) {
        error = ERROR_DLL_NOT_FOUND;
        return nullptr;
    }
    return openSyncHandle(libs_, path, access, error);
}

std::unique_ptr<HidReadHandle> WindowsHidPlatform::openRead(const std::string& path, uint32_t& error) {
    return openReadHandle(path, error);
}

void WindowsHidPlatform::startNotifications(Notify notify) {
    stopNotifications();
    if (!usable()) return;  // no window, no scans, no events
    started_ = std::make_shared<bool>(true);
    window_ = std::make_unique<DeviceChangeWindow>(notify);
    if (window_->postStartScan()) return;
    // No window (or its queue is full): changes go unheard, but the devices present are still
    // listed once, as the port promises.
    window_.reset();
    loop_.post([started = started_, notify = std::move(notify)] {
        if (*started) notify(-1);
    });
}

void WindowsHidPlatform::stopNotifications() {
    window_.reset();
    if (started_) *started_ = false;
    started_.reset();
}

}  // namespace winhid

std::unique_ptr<HidPlatform> makeNativeHidPlatform(EventLoop& loop) {
    return std::make_unique<winhid::WindowsHidPlatform>(loop);
}

}  // namespace orvix
