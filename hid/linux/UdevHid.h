#pragma once
// libudev: listing the hidraw nodes and watching them come and go.

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "hid/linux/DeviceChangeNotifier.h"
#include "hid/linux/HidInterfaceList.h"

struct udev;

namespace orvix::linuxhid {

struct UdevDeleter {
    void operator()(udev* context) const;
};
using UdevContext = std::unique_ptr<udev, UdevDeleter>;

// Null when libudev cannot make a context.
UdevContext makeUdevContext();

// Every device of subsystem "hidraw" udev knows now (its node may be gone already).
std::vector<HidrawNode> listHidrawNodes(udev* context);

// "udev" when udevd runs (<runRoot>/udev/control exists): its events come once the node is set up.
// Otherwise "kernel": the kernel's own events, the only ones without udevd.
std::string monitorSourceName(const std::filesystem::path& runRoot);

// A monitor of subsystem "hidraw" on the given source. Null when it cannot be made.
std::unique_ptr<DeviceChangeSource> makeHidrawMonitor(udev* context, const std::string& sourceName);

}  // namespace orvix::linuxhid
