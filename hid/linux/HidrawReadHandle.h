#pragma once
// The read handle of one hidraw node: blocks in poll() on the node and an eventfd that stop()
// signals, so a held, idle device costs no wake-ups.

#include <atomic>
#include <cstdint>
#include <memory>

#include "hid/HidPlatform.h"

namespace orvix::linuxhid {

class HidrawReadHandle final : public HidReadHandle {
public:
    // Takes fd over (also on failure). prependReportId: the device uses no report IDs, so hidraw
    // delivers its reports without one; read() then puts a 0 in front, as the port promises.
    // Null (with errno in error) when the stop event cannot be made.
    static std::unique_ptr<HidrawReadHandle> adopt(int fd, bool prependReportId, uint32_t& error);
    ~HidrawReadHandle() override;

    HidReadResult read(uint8_t* buffer, size_t size) override;
    void stop() override;
    void pause(uint32_t milliseconds) override;

private:
    HidrawReadHandle(int fd, int stopFd, bool prependReportId);
    HidReadResult gone();

    int fd_;
    int stopFd_;  // eventfd; once signalled it stays readable, so every later wait ends at once
    bool prependReportId_;
    bool gone_ = false;  // reader thread only
    std::atomic<bool> stopped_{false};
};

}  // namespace orvix::linuxhid
