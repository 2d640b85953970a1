#include "hid/HidDeviceController.h"

#include <algorithm>
#include <string>
#include <unordered_set>

namespace orvix {

THidDeviceController::THidDeviceController(std::unique_ptr<HidPlatform> platform, EventLoop& loop, Events events)
    : platform_(std::move(platform)),
      loop_(loop),
      onEnumerate_(std::move(events.OnEnumerate)),
      onDeviceChange_(std::move(events.OnDeviceChange)),
      onDeviceData_(std::move(events.OnDeviceData)),
      onDeviceUnplug_(std::move(events.OnDeviceUnplug)) {
    // Nothing is scanned here: the first scan comes from the event loop, after the owner has
    // finished building itself.
    if (platform_->usable()) platform_->startNotifications([this](int32_t trigger) { notify(trigger); });
}

THidDeviceController::~THidDeviceController() {
    destroying_ = true;
    onDeviceChange_ = {};
    onDeviceUnplug_ = {};
    onEnumerate_ = {};
    platform_->stopNotifications();
    // A device still held is unplugged so its holder hears of it and can give it back; what is
    // left afterwards has no one to give it back to and goes with the controller.
    for (size_t i = list_.size(); i-- > 0;) {
        if (i >= list_.size()) continue;
        THidDevice* dev = list_[i].get();
        if (dev->IsCheckedOut() && dev->IsPluggedIn()) dev->unplug();
    }
    for (auto& dev : list_) dev->controller_ = nullptr;
    list_.clear();
}

void THidDeviceController::notify(int32_t trigger) {
    if (destroying_ || rescanning_) return;  // a notification during a rescan is dropped
    trigger_ = trigger;
    rescanning_ = true;
    DeviceChange();
    rescanning_ = false;
}

std::vector<std::unique_ptr<THidDevice>> THidDeviceController::scanInterfaces() {
    std::vector<std::unique_ptr<THidDevice>> found;
    for (auto& entry : platform_->scanInterfaces()) {
        std::unique_ptr<THidDevice> dev(new THidDevice(*this, entry));
        if (!dev->create(*platform_)) continue;  // cannot be opened or identified: left out
        dev->serial_ = nextSerial_++;
        found.push_back(std::move(dev));
    }
    return found;
}

THidDevice* THidDeviceController::findBySerial(uint64_t serial) const {
    // Serials grow in list order: devices are appended as scanned and only ever taken out.
    auto it = std::lower_bound(list_.begin(), list_.end(), serial,
                               [](const auto& dev, uint64_t s) { return dev->serial_ < s; });
    return it != list_.end() && (*it)->serial_ == serial ? it->get() : nullptr;
}

void THidDeviceController::DeviceChange() {
    if (!platform_->usable()) return;
    bool changed = trigger_ == -1;
    std::vector<std::unique_ptr<THidDevice>> fresh = scanInterfaces();
    // Looked up by identity in sets, so a rescan costs in proportion to the interfaces listed.
    std::unordered_set<std::string> freshIds;
    for (auto& f : fresh) freshIds.insert(f->PnPInfo().DeviceID);

    // Gone devices, from the last position to the first. An unplug handler may check a device in
    // (destroying it), so each one is looked up again by its own identity before use.
    std::vector<uint64_t> serials;
    for (auto& dev : list_) serials.push_back(dev->serial_);
    for (auto it = serials.rbegin(); it != serials.rend(); ++it) {
        THidDevice* dev = findBySerial(*it);
        if (!dev) continue;
        bool present = dev->IsPluggedIn() && freshIds.count(dev->PnPInfo().DeviceID);
        if (present) continue;
        changed = true;
        if (!dev->IsPluggedIn()) continue;  // gone while held, waiting for its CheckIn
        dev->unplug();
        dev = findBySerial(*it);
        if (dev && !dev->IsCheckedOut()) destroyDevice(dev);
    }

    // New devices, in scan order; one already listed and plugged in is a duplicate.
    std::unordered_set<std::string> pluggedIn;
    for (auto& dev : list_)
        if (dev->IsPluggedIn()) pluggedIn.insert(dev->PnPInfo().DeviceID);
    for (auto& dev : fresh) {
        if (!pluggedIn.insert(dev->PnPInfo().DeviceID).second) continue;
        list_.push_back(std::move(dev));
        changed = true;
    }
    fresh.clear();

    if (changed && onDeviceChange_) onDeviceChange_(*this);
}

int THidDeviceController::Enumerate() {
    int visited = 0;
    const size_t length = list_.size();
    for (size_t i = 0; i < length && i < list_.size(); ++i) {
        THidDevice* dev = list_[i].get();
        if (!dev->IsPluggedIn()) continue;
        ++visited;
        if (!onEnumerate_) break;
        uint64_t serial = dev->serial_;
        dev->enumerating_ = true;
        bool goOn = onEnumerate_(*dev, static_cast<int>(i));
        if ((dev = findBySerial(serial))) {
            dev->enumerating_ = false;
            if (!dev->IsCheckedOut()) dev->closeHandles();
        }
        if (!goOn) break;
    }
    return visited;
}

bool THidDeviceController::CheckOutByIndex(THidDevice*& HidDev, int Idx) {
    HidDev = nullptr;
    if (Idx < 0 || Idx >= count()) return false;
    THidDevice* dev = list_[static_cast<size_t>(Idx)].get();
    if (dev->IsCheckedOut()) return false;
    HidDev = dev;
    dev->checkedOut_ = true;
    dev->awaitWriteAccess();
    dev->startReaderIfReady();
    return true;
}

void THidDeviceController::CheckIn(THidDevice*& HidDev) {
    THidDevice* dev = HidDev;
    if (!dev) return;
    if (dev->checkingIn_) {  // from a hand-over that the stop below runs: the outer CheckIn ends it
        HidDev = nullptr;
        return;
    }
    // The reader first: a report it had already passed on is handed over while it stops, and its
    // handler still finds the device held by the holder's variable.
    dev->checkingIn_ = true;
    dev->stopReader();
    dev->checkingIn_ = false;
    HidDev = nullptr;
    dev->closeHandles();
    if (dev->IsPluggedIn()) {
        dev->checkedOut_ = false;
    } else {
        destroyDevice(dev);
    }
}

void THidDeviceController::destroyDevice(THidDevice* dev) {
    auto it = std::find_if(list_.begin(), list_.end(), [&](const auto& d) { return d.get() == dev; });
    if (it != list_.end()) list_.erase(it);  // the device's destructor stops its reader
}

void THidDeviceController::setOnDeviceChange(TNotifyEvent h) {
    if (h == onDeviceChange_) return;
    onDeviceChange_ = std::move(h);
    if (platform_->usable() && !destroying_) DeviceChange();
}

void THidDeviceController::setOnDeviceData(THidDataEvent h) {
    for (auto& dev : list_)
        if (dev->OnData() == onDeviceData_) dev->setOnData(h);
    onDeviceData_ = std::move(h);
}

void THidDeviceController::setOnDeviceUnplug(THidUnplugEvent h) {
    for (auto& dev : list_)
        if (dev->OnUnplug() == onDeviceUnplug_) dev->setOnUnplug(h);
    onDeviceUnplug_ = std::move(h);
}

void THidDeviceController::setOnDeviceDataError(THidDataErrorEvent h) {
    for (auto& dev : list_) dev->setOnDataError(h);
    onDeviceDataError_ = std::move(h);
}

void THidDeviceController::setDevThreadSleepTime(uint32_t ms) {
    for (auto& dev : list_)
        if (dev->ThreadSleepTime() == devThreadSleepTime_) dev->setThreadSleepTime(ms);
    devThreadSleepTime_ = ms;
}

}  // namespace orvix
