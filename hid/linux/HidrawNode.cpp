#include "hid/linux/HidrawNode.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <ctime>
#include <thread>

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

// How long ago the node's status last changed (made, or its owner, mode or ACL set); nothing when it
// cannot be read.
std::optional<std::chrono::nanoseconds> statusAge(const std::string& path) {
    struct stat st {};
    timespec now{};
    if (::stat(path.c_str(), &st) != 0 || clock_gettime(CLOCK_REALTIME, &now) != 0) return std::nullopt;
    return std::chrono::seconds(now.tv_sec - st.st_ctim.tv_sec) +
           std::chrono::nanoseconds(now.tv_nsec - st.st_ctim.tv_nsec);
}

// udev gives a new node to the user at the seat (its ACL) only after the node has appeared and the
// change event has gone out: an open refused while the node is that young is tried again until it
// has settled. An older node is answered at once.
int openForWriting(const std::string& path, uint32_t& error) {
    using namespace std::chrono;
    const auto deadline = steady_clock::now() + kNodeSettleTime;
    for (;;) {
        int fd = openCharDevice(path, O_RDWR, error);
        if (fd >= 0 || (error != EACCES && error != EPERM) || steady_clock::now() >= deadline) return fd;
        std::optional<nanoseconds> age = statusAge(path);
        if (!age || *age >= kNodeSettleTime) return fd;
        std::this_thread::sleep_for(milliseconds(40));
    }
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
    int fd = access == HidAccess::ReadWriteWhenGranted ? openForWriting(name.device, error)
             : access == HidAccess::ReadWrite          ? openCharDevice(name.device, O_RDWR, error)
                                                       : openCharDevice(name.device, O_PATH, error);
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
