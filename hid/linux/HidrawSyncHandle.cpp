#include "hid/linux/HidrawSyncHandle.h"

#include <unistd.h>

#include <cerrno>

#include "hid/ReportDescriptor.h"
#include "hid/linux/SysfsHid.h"

namespace orvix::linuxhid {

HidrawSyncHandle::HidrawSyncHandle(int fd, std::optional<std::filesystem::path> hidDevice,
                                   std::filesystem::path sysRoot, size_t collection)
    : fd_(fd), hidDevice_(std::move(hidDevice)), sysRoot_(std::move(sysRoot)), collection_(collection) {}

HidrawSyncHandle::~HidrawSyncHandle() { ::close(fd_); }

bool HidrawSyncHandle::getAttributes(HidAttributes& attributes) {
    if (!hidDevice_) return false;
    auto found = readHidAttributes(*hidDevice_, sysRoot_);
    if (!found) return false;
    attributes.VendorID = found->VendorID;
    attributes.ProductID = found->ProductID;
    attributes.VersionNumber = found->VersionNumber;
    return true;
}

std::unique_ptr<HidPreparsedData> HidrawSyncHandle::getPreparsedData() {
    if (!hidDevice_) return nullptr;
    auto descriptor = readReportDescriptor(*hidDevice_);
    if (!descriptor) return nullptr;
    return std::make_unique<DescriptorPreparsedData>(std::move(*descriptor), collection_);
}

bool HidrawSyncHandle::write(const uint8_t* data, size_t size, size_t& written) {
    written = 0;
    for (;;) {
        ssize_t n = ::write(fd_, data, size);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return false;
        written = static_cast<size_t>(n);
        return true;
    }
}

}  // namespace orvix::linuxhid
