#pragma once
// The read handle of one hidraw node: blocks in poll() on the node and an eventfd that stop()
// signals, so a held, idle device costs no wake-ups.

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>

#include "hid/HidPlatform.h"
#include "hid/ReportDescriptor.h"

namespace orvix::linuxhid {

// How the reports of a node reach the interface of one of its top-level collections.
struct ReportRoute {
    // The device uses no report IDs, so hidraw delivers its reports without one; read() then puts
    // a 0 in front, as the port promises.
    bool prependReportId = false;
    // The report IDs of the interface's collection; reports with others are dropped. Empty: all
    // reports pass (a node whose descriptor cannot be parsed).
    std::optional<ReportIdSet> accepted;
};

class HidrawReadHandle final : public HidReadHandle {
public:
    // Takes fd over (also on failure). Null (with errno in error) when the stop event cannot be
    // made. Every read handle has a descriptor of its own, and hidraw gives each open descriptor
    // its own copy of every report: the interfaces of one node never take each other's reports.
    static std::unique_ptr<HidrawReadHandle> adopt(int fd, ReportRoute route, uint32_t& error);
    ~HidrawReadHandle() override;

    HidReadResult read(uint8_t* buffer, size_t size) override;
    void stop() override;
    void pause(uint32_t milliseconds) override;

private:
    HidrawReadHandle(int fd, int stopFd, ReportRoute route);
    HidReadResult gone();

    int fd_;
    int stopFd_;  // eventfd; once signalled it stays readable, so every later wait ends at once
    ReportRoute route_;
    bool gone_ = false;  // reader thread only
    std::atomic<bool> stopped_{false};
};

}  // namespace orvix::linuxhid
