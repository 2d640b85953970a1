#include "hid/linux/HidrawNode.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>

#include "hid/CollectionName.h"
#include "hid/ReportDescriptor.h"
#include "hid/linux/HidrawReadHandle.h"
#include "hid/linux/HidrawSyncHandle.h"
#include "hid/linux/SysfsHid.h"

namespace orvix::linuxhid {

namespace {

// Opens path and checks that it is a character device. -1 with error set otherwise.
int openCharDevice(const std::string& path, int flags, uint32_t& error) {
    int fd;
    do {
        fd = ::open(path.c_str(), flags | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        error = static_cast<uint32_t>(errno);
        return -1;
    }
    struct stat st {};
    if (fstat(fd, &st) != 0 || !S_ISCHR(st.st_mode)) {
        ::close(fd);
        error = ENODEV;
        return -1;
    }
    return fd;
}

}  // namespace

std::optional<std::filesystem::path> hidDeviceOfDescriptor(int fd, const std::filesystem::path& sysRoot) {
    struct stat st {};
    if (fstat(fd, &st) != 0 || !S_ISCHR(st.st_mode)) return std::nullopt;
    return hidDeviceOfCharDevice(sysRoot, major(st.st_rdev), minor(st.st_rdev));
}

std::unique_ptr<HidSyncHandle> openHidrawSync(const std::string& path, HidAccess access,
                                              const std::filesystem::path& sysRoot, uint32_t& error) {
    CollectionName name = splitCollectionName(path);
    int fd = openCharDevice(name.device, access == HidAccess::ReadWrite ? O_RDWR : O_PATH, error);
    if (fd < 0) return nullptr;
    return std::make_unique<HidrawSyncHandle>(fd, hidDeviceOfDescriptor(fd, sysRoot), sysRoot, name.collection);
}

std::unique_ptr<HidReadHandle> openHidrawRead(const std::string& path, const std::filesystem::path& sysRoot,
                                              uint32_t& error) {
    CollectionName name = splitCollectionName(path);
    int fd = openCharDevice(name.device, O_RDONLY, error);
    if (fd < 0) return nullptr;
    auto hidDevice = hidDeviceOfDescriptor(fd, sysRoot);
    auto descriptor = hidDevice ? readReportDescriptor(*hidDevice) : std::nullopt;
    if (!descriptor) {
        ::close(fd);
        error = ENODEV;
        return nullptr;
    }
    ReportDescriptorInfo info;
    ReportRoute route;
    if (parseReportDescriptor(descriptor->data(), descriptor->size(), info)) {
        if (name.collection >= info.collections.size()) {  // another device took the node's number
            ::close(fd);
            error = ENODEV;
            return nullptr;
        }
        route.accepted = info.collections[name.collection].reportIds;
    }
    // A descriptor that fails to parse still tells what was read up to the fault.
    route.prependReportId = !info.usesReportIds;
    return HidrawReadHandle::adopt(fd, std::move(route), error);
}

}  // namespace orvix::linuxhid
