#include "hid/linux/UdevHid.h"

#include <libudev.h>

#include <cerrno>

namespace orvix::linuxhid {

namespace {

class HidrawMonitor final : public DeviceChangeSource {
public:
    explicit HidrawMonitor(udev_monitor* monitor) : monitor_(monitor) {}
    ~HidrawMonitor() override { udev_monitor_unref(monitor_); }
    HidrawMonitor(const HidrawMonitor&) = delete;
    HidrawMonitor& operator=(const HidrawMonitor&) = delete;

    int fd() const override { return udev_monitor_get_fd(monitor_); }

    bool drain() override {
        bool received = false;
        // Bounded: under an event storm the rest is read on the next wake-up.
        for (int i = 0; i < 1024; ++i) {
            errno = 0;
            udev_device* device = udev_monitor_receive_device(monitor_);
            if (device) {
                udev_device_unref(device);
                received = true;
                continue;
            }
            // ENOBUFS and the like: events were lost, so something may have changed.
            if (errno != 0 && errno != EAGAIN && errno != EWOULDBLOCK) received = true;
            break;
        }
        return received;
    }

private:
    udev_monitor* monitor_;
};

}  // namespace

void UdevDeleter::operator()(udev* context) const { udev_unref(context); }

UdevContext makeUdevContext() { return UdevContext(udev_new()); }

std::vector<HidrawNode> listHidrawNodes(udev* context) {
    std::vector<HidrawNode> nodes;
    if (!context) return nodes;
    udev_enumerate* enumerate = udev_enumerate_new(context);
    if (!enumerate) return nodes;
    if (udev_enumerate_add_match_subsystem(enumerate, "hidraw") >= 0 && udev_enumerate_scan_devices(enumerate) >= 0) {
        udev_list_entry* entry;
        udev_list_entry_foreach(entry, udev_enumerate_get_list_entry(enumerate)) {
            const char* sysPath = udev_list_entry_get_name(entry);
            udev_device* device = sysPath ? udev_device_new_from_syspath(context, sysPath) : nullptr;
            if (!device) continue;  // gone since the scan
            const char* devNode = udev_device_get_devnode(device);
            if (devNode) nodes.push_back({sysPath, devNode});
            udev_device_unref(device);
        }
    }
    udev_enumerate_unref(enumerate);
    return nodes;
}

std::string monitorSourceName(const std::filesystem::path& runRoot) {
    std::error_code ec;
    return std::filesystem::exists(runRoot / "udev" / "control", ec) ? "udev" : "kernel";
}

std::unique_ptr<DeviceChangeSource> makeHidrawMonitor(udev* context, const std::string& sourceName) {
    if (!context) return nullptr;
    udev_monitor* monitor = udev_monitor_new_from_netlink(context, sourceName.c_str());
    if (!monitor) return nullptr;
    auto source = std::make_unique<HidrawMonitor>(monitor);
    if (udev_monitor_filter_add_match_subsystem_devtype(monitor, "hidraw", nullptr) < 0 ||
        udev_monitor_enable_receiving(monitor) < 0)
        return nullptr;
    return source;
}

}  // namespace orvix::linuxhid
