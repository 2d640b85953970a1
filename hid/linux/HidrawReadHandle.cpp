#include "hid/linux/HidrawReadHandle.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <climits>

namespace orvix::linuxhid {

std::unique_ptr<HidrawReadHandle> HidrawReadHandle::adopt(int fd, ReportRoute route, uint32_t& error) {
    int stopFd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (stopFd < 0) {
        error = static_cast<uint32_t>(errno);
        ::close(fd);
        return nullptr;
    }
    return std::unique_ptr<HidrawReadHandle>(new HidrawReadHandle(fd, stopFd, std::move(route)));
}

HidrawReadHandle::HidrawReadHandle(int fd, int stopFd, ReportRoute route)
    : fd_(fd), stopFd_(stopFd), route_(std::move(route)) {}

HidrawReadHandle::~HidrawReadHandle() {
    ::close(fd_);
    ::close(stopFd_);
}

HidReadResult HidrawReadHandle::gone() {
    gone_ = true;
    return {HidReadResult::Gone, 0, 0};
}

HidReadResult HidrawReadHandle::read(uint8_t* buffer, size_t size) {
    if (stopped_) return {HidReadResult::Stopped, 0, 0};
    if (gone_) return {HidReadResult::Gone, 0, 0};
    size_t offset = route_.prependReportId ? 1 : 0;
    if (size <= offset) return {HidReadResult::Failed, 0, EINVAL};  // no room for one report byte
    for (;;) {
        pollfd fds[2] = {{fd_, POLLIN, 0}, {stopFd_, POLLIN, 0}};
        if (poll(fds, 2, -1) < 0) {
            if (errno == EINTR || errno == EAGAIN) continue;
            return {HidReadResult::Failed, 0, static_cast<uint32_t>(errno)};
        }
        if (stopped_ || fds[1].revents) return {HidReadResult::Stopped, 0, 0};
        short events = fds[0].revents;
        if (events & POLLIN) {
            // Reports still queued when the device went are read before the hang-up is reported.
            ssize_t n = ::read(fd_, buffer + offset, size - offset);
            if (n > 0) {
                if (route_.prependReportId) buffer[0] = 0;
                if (route_.accepted && !route_.accepted->test(buffer[0])) continue;  // another collection's
                return {HidReadResult::Data, static_cast<size_t>(n) + offset, 0};
            }
            // The HID core never queues an empty report: 0 is the end of the file.
            if (n == 0) return gone();
            if (errno == EINTR || errno == EAGAIN) continue;
            if (errno == EIO || errno == ENODEV) return gone();
            return {HidReadResult::Failed, 0, static_cast<uint32_t>(errno)};
        }
        if (events & (POLLHUP | POLLERR | POLLNVAL)) return gone();
    }
}

void HidrawReadHandle::stop() {
    stopped_ = true;
    uint64_t one = 1;
    [[maybe_unused]] ssize_t n = ::write(stopFd_, &one, sizeof one);
}

void HidrawReadHandle::pause(uint32_t milliseconds) {
    using Clock = std::chrono::steady_clock;
    bool forever = milliseconds > static_cast<uint32_t>(INT_MAX);
    auto deadline = Clock::now() + std::chrono::milliseconds(forever ? 0 : milliseconds);
    while (!stopped_) {
        int timeout = -1;
        if (!forever) {
            auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
            if (left <= 0) return;
            timeout = static_cast<int>(left);
        }
        pollfd fd{stopFd_, POLLIN, 0};
        int r = poll(&fd, 1, timeout);
        if (r > 0) return;
        if (r == 0 && !forever) return;
        if (r < 0 && errno != EINTR) return;  // nothing to wait on: do not spin
    }
}

}  // namespace orvix::linuxhid
