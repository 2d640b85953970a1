#pragma once
// Opening a hidraw node and finding its HID device in sysfs from the open descriptor itself
// (fstat's st_rdev -> <root>/dev/char/MAJ:MIN), which works for O_PATH descriptors too.

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "hid/HidPlatform.h"

namespace orvix::linuxhid {

// The HID device behind an open character-device descriptor. Empty for anything else.
std::optional<std::filesystem::path> hidDeviceOfDescriptor(int fd, const std::filesystem::path& sysRoot);

// How long after a node appears (or its permissions change) a refused open for writing is tried
// again: udev sets the seat user's ACL a few hundred milliseconds after the add event at most.
inline constexpr std::chrono::milliseconds kNodeSettleTime{600};

// path: a node, or the interface of one of its top-level collections ("/dev/hidraw3&col02").
// ReadWrite: O_RDWR. ReadWriteWhenGranted: O_RDWR, retried while the node is younger than
// kNodeSettleTime and the open is refused for lack of permission. QueryOnly: O_PATH, which needs no permission on the node. Null with errno
// in error when the node cannot be opened; ENODEV when it is not a character device.
std::unique_ptr<HidSyncHandle> openHidrawSync(const std::string& path, HidAccess access,
                                              const std::filesystem::path& sysRoot, uint32_t& error);

// O_RDONLY, its own descriptor. Whether reports need a 0 in front, and which report IDs belong to
// the collection, come from the HID device's report descriptor; without one the handle cannot
// know: ENODEV (also when the descriptor has no such collection).
std::unique_ptr<HidReadHandle> openHidrawRead(const std::string& path, const std::filesystem::path& sysRoot,
                                              uint32_t& error);

}  // namespace orvix::linuxhid
