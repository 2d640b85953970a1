#include "hid/sim/SimHidPlatform.h"

#include <cstdlib>
#include <mutex>

#include "hid/sim/SimBus.h"
#include "hid/sim/SimCommand.h"
#include "hid/sim/SimControlReader.h"
#include "hid/sim/SimHandles.h"

namespace orvix {

namespace sim {

// The notify callback, shared weakly with the calls posted to the event loop: once the platform
// has gone, they find nothing to call.
struct NotifySlot {
    // Held while notify runs, so a stopNotifications from another thread returns only after it.
    std::recursive_mutex mutex;
    HidPlatform::Notify notify;
};

}  // namespace sim

namespace {

// ENOENT and ERROR_FILE_NOT_FOUND alike.
constexpr uint32_t kNotFound = 2;

void deliver(const std::weak_ptr<sim::NotifySlot>& weak, int32_t trigger) {
    auto slot = weak.lock();
    if (!slot) return;
    std::lock_guard lock(slot->mutex);
    // A copy: notify may stop the notifications, which must not destroy the running call.
    HidPlatform::Notify notify = slot->notify;
    if (notify) notify(trigger);
}

}  // namespace

SimHidPlatform::SimHidPlatform(EventLoop& loop, SimOptions options)
    : loop_(loop),
      bus_(std::make_shared<sim::SimBus>(options.tracePath, options.layout)),
      slot_(std::make_shared<sim::NotifySlot>()) {
    bus_->plugReceiver();
    if (!options.controlPath.empty())
        control_ = std::make_unique<sim::SimControlReader>(options.controlPath,
                                                           [this](const std::string& line) { command(line); });
}

SimHidPlatform::~SimHidPlatform() {
    control_.reset();
    {
        std::lock_guard lock(slot_->mutex);
        slot_->notify = nullptr;
    }
    slot_.reset();
    bus_->shutdown();
}

void SimHidPlatform::command(const std::string& line) {
    auto parsed = sim::parseSimCommand(line);
    if (!parsed) return;
    switch (parsed->verb) {
    case sim::SimCommand::Unplug:
        if (bus_->unplugReceiver()) postChange();
        break;
    case sim::SimCommand::Plug:
        if (bus_->plugReceiver()) postChange();
        break;
    case sim::SimCommand::UnplugOther: unplugOther(); break;
    case sim::SimCommand::Link:
    case sim::SimCommand::Unlink: bus_->setLinked(parsed->verb == sim::SimCommand::Link); break;
    case sim::SimCommand::AckWrong: bus_->setAckWrong(parsed->value); break;
    case sim::SimCommand::AckDrop: bus_->setAckDrop(parsed->value); break;
    case sim::SimCommand::Delay: bus_->setDelay(parsed->value); break;
    case sim::SimCommand::Flood: bus_->flood(parsed->value); break;
    }
}

std::vector<std::string> SimHidPlatform::record() const { return bus_->record(); }

bool SimHidPlatform::controlRunning() const { return control_ && control_->started(); }

std::vector<THidPnPInfo> SimHidPlatform::scanInterfaces() { return bus_->present(); }

std::unique_ptr<HidSyncHandle> SimHidPlatform::openSync(const std::string& path, HidAccess access, uint32_t& error) {
    if (!bus_->isPresent(path)) {
        error = kNotFound;
        return nullptr;
    }
    return std::make_unique<sim::SimSyncHandle>(bus_, path, access);
}

std::unique_ptr<HidReadHandle> SimHidPlatform::openRead(const std::string& path, uint32_t& error) {
    auto queue = bus_->openReader(path);
    if (!queue) {
        error = kNotFound;
        return nullptr;
    }
    return std::make_unique<sim::SimReadHandle>(bus_, std::move(queue));
}

void SimHidPlatform::startNotifications(Notify notify) {
    {
        std::lock_guard lock(slot_->mutex);
        slot_->notify = std::move(notify);
    }
    std::weak_ptr<sim::NotifySlot> slot = slot_;
    loop_.post([slot] { deliver(slot, -1); });
}

void SimHidPlatform::stopNotifications() {
    std::lock_guard lock(slot_->mutex);
    slot_->notify = nullptr;
}

void SimHidPlatform::postChange() {
    std::weak_ptr<sim::NotifySlot> slot = slot_;
    loop_.post([slot] { deliver(slot, 0); });
}

void SimHidPlatform::unplugOther() {
    std::string path = bus_->plugKeyboard();
    std::weak_ptr<sim::NotifySlot> slot = slot_;
    std::weak_ptr<sim::SimBus> weakBus = bus_;
    EventLoop* loop = &loop_;
    // It goes only once the rescan of its coming has seen it; then the second change.
    loop_.post([slot, weakBus, path, loop] {
        deliver(slot, 0);
        if (auto bus = weakBus.lock()) bus->unplug(path);
        loop->post([slot] { deliver(slot, 0); });
    });
}

std::optional<SimLayout> parseSimLayout(std::string_view name) {
    if (name.empty() || name == "default") return SimLayout::Default;
    if (name == "shared") return SimLayout::Shared;
    return std::nullopt;
}

std::string simLayoutProblem(std::string_view name) {
    if (parseSimLayout(name)) return {};
    return "ORVIX_SIM_LAYOUT \"" + std::string(name) +
           "\" is not a known layout; the known layouts are "
           "\"default\" and \"shared\"";
}

std::unique_ptr<HidPlatform> makeSimHidPlatform(EventLoop& loop) {
    SimOptions options;
    if (const char* trace = std::getenv("ORVIX_SIM_TRACE")) options.tracePath = trace;
    if (const char* control = std::getenv("ORVIX_SIM_CONTROL")) options.controlPath = control;
    if (const char* layout = std::getenv("ORVIX_SIM_LAYOUT"))
        options.layout = parseSimLayout(layout).value_or(SimLayout::Default);
    return std::make_unique<SimHidPlatform>(loop, std::move(options));
}

}  // namespace orvix
