#pragma once
// The simulated receiver (ORVIX_HID=sim): a boot mouse interface and the configuration interface
// of vendor 0x0E8F, product 0x00A6, version 0x0100, answering A4 frames as the receiver does, so
// the utility can be tried and tested without the hardware.

#include <memory>
#include <string>
#include <vector>

#include "hid/HidPlatform.h"

namespace orvix {

namespace sim {
class SimBus;
class SimControlReader;
struct NotifySlot;
}  // namespace sim

struct SimOptions {
    std::string tracePath;    // appends "OUT ..." / "IN ..." per report; empty: none
    std::string controlPath;  // a FIFO of commands, one a line; empty: none
};

class SimHidPlatform final : public HidPlatform {
public:
    SimHidPlatform(EventLoop& loop, SimOptions options);
    // Ends the control thread; reads still blocked on its interfaces return Gone.
    ~SimHidPlatform() override;
    SimHidPlatform(const SimHidPlatform&) = delete;
    SimHidPlatform& operator=(const SimHidPlatform&) = delete;

    // Any thread: "unplug", "plug", "unplug-other", "link", "unlink", "ack-wrong N", "ack-drop N",
    // "delay MS". Unknown lines are ignored.
    void command(const std::string& line);
    // Every report taken and sent so far, as the trace writes them.
    std::vector<std::string> record() const;
    // True when a thread reads commands from the control FIFO (false when it could not be used).
    bool controlRunning() const;

    bool usable() const override { return true; }
    std::vector<HidInterfaceEntry> scanInterfaces() override;
    std::unique_ptr<HidSyncHandle> openSync(const std::string& path, HidAccess access, uint32_t& error) override;
    std::unique_ptr<HidReadHandle> openRead(const std::string& path, uint32_t& error) override;
    void startNotifications(Notify notify) override;
    void stopNotifications() override;

private:
    void postChange();
    void unplugOther();

    EventLoop& loop_;
    std::shared_ptr<sim::SimBus> bus_;
    std::shared_ptr<sim::NotifySlot> slot_;  // posted calls hold it weakly
    std::unique_ptr<sim::SimControlReader> control_;
};

// The simulated receiver as the environment describes it (ORVIX_SIM_TRACE, ORVIX_SIM_CONTROL).
std::unique_ptr<HidPlatform> makeSimHidPlatform(EventLoop& loop);

}  // namespace orvix
