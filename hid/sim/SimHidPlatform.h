#pragma once
// The simulated receiver (ORVIX_HID=sim): a boot mouse interface and the configuration interface
// of vendor 0x0E8F, product 0x00A6, version 0x0100, answering A4 frames as the receiver does, so
// the utility can be tried and tested without the hardware.

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "hid/HidPlatform.h"

namespace orvix {

namespace sim {
class SimBus;
class SimControlReader;
struct NotifySlot;
}  // namespace sim

// How the receiver presents its configuration collection (ORVIX_SIM_LAYOUT).
enum class SimLayout {
    Default,  // "default": a boot mouse, and the configuration collection alone on a device of its own
    Shared,   // "shared": a boot mouse, and one device carrying a keyboard (report ID 1), a consumer
              // control (ID 3) and the configuration collection (ID 4), as many receivers do
};

// The layout a name stands for; the empty name is the default. Nothing for an unknown name.
std::optional<SimLayout> parseSimLayout(std::string_view name);
// What is wrong with a layout name, naming the known layouts; empty when it is known.
std::string simLayoutProblem(std::string_view name);

struct SimOptions {
    std::string tracePath;    // appends "OUT ..." / "IN ..." per report; empty: none
    std::string controlPath;  // a FIFO of commands, one a line; empty: none
    SimLayout layout = SimLayout::Default;
};

class SimHidPlatform final : public HidPlatform {
public:
    SimHidPlatform(EventLoop& loop, SimOptions options);
    // Ends the control thread; reads still blocked on its interfaces return Gone.
    ~SimHidPlatform() override;
    SimHidPlatform(const SimHidPlatform&) = delete;
    SimHidPlatform& operator=(const SimHidPlatform&) = delete;

    // Any thread: "unplug", "plug", "unplug-other", "link", "unlink", "ack-wrong N", "ack-drop N",
    // "delay MS", "flood N". Unknown lines are ignored.
    void command(const std::string& line);
    // Every report taken and sent so far, as the trace writes them.
    std::vector<std::string> record() const;
    // True when a thread reads commands from the control FIFO (false when it could not be used).
    bool controlRunning() const;

    bool usable() const override { return true; }
    std::vector<THidPnPInfo> scanInterfaces() override;
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

// The simulated receiver as the environment describes it (ORVIX_SIM_TRACE, ORVIX_SIM_CONTROL,
// ORVIX_SIM_LAYOUT; an unknown layout, which the program refuses at start, gives the default).
std::unique_ptr<HidPlatform> makeSimHidPlatform(EventLoop& loop);

}  // namespace orvix
