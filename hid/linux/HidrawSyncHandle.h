#pragma once
// The synchronous handle of one hidraw node: attributes and report descriptor from the node's HID
// device in sysfs, writes through the node. Opened with O_PATH it still answers queries (so a node
// the user may not open is still identified); its writes then fail.

#include <filesystem>
#include <optional>

#include "hid/HidPlatform.h"

namespace orvix::linuxhid {

class HidrawSyncHandle final : public HidSyncHandle {
public:
    // Takes fd over. hidDevice: the node's HID device in sysfs, empty when it was not found
    // (queries then fail). collection: the top-level collection whose capabilities it gives.
    HidrawSyncHandle(int fd, std::optional<std::filesystem::path> hidDevice, std::filesystem::path sysRoot,
                     size_t collection = 0);
    ~HidrawSyncHandle() override;
    HidrawSyncHandle(const HidrawSyncHandle&) = delete;
    HidrawSyncHandle& operator=(const HidrawSyncHandle&) = delete;

    bool getAttributes(HidAttributes& attributes) override;
    std::unique_ptr<HidPreparsedData> getPreparsedData() override;
    // One report, its report ID first (0 when the device uses none: hidraw drops it on the wire),
    // through the node that all its collections share. False with errno set when the write
    // fails; written is what write() returned.
    bool write(const uint8_t* data, size_t size, size_t& written) override;

private:
    int fd_;
    std::optional<std::filesystem::path> hidDevice_;
    std::filesystem::path sysRoot_;
    size_t collection_;
};

}  // namespace orvix::linuxhid
