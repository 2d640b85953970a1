#include "hid/sim/SimBus.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <utility>

#include "hid/CollectionName.h"
#include "hid/ReportDescriptor.h"

namespace orvix::sim {

namespace {

constexpr uint16_t kReceiverVendor = 0x0E8F, kReceiverProduct = 0x00A6;
constexpr uint16_t kKeyboardVendor = 0x045E, kKeyboardProduct = 0x0750;
constexpr uint16_t kVersion = 0x0100;
// As many reports as the kernel keeps for a hidraw reader that does not read; older ones go.
constexpr size_t kMaxQueued = 64;

}  // namespace

SimBus::SimBus(const std::string& tracePath, SimLayout layout) : layout_(layout), trace_(tracePath) {}

std::vector<THidPnPInfo> SimBus::present() const {
    std::lock_guard lock(mutex_);
    std::vector<THidPnPInfo> entries;
    for (const auto& d : devices_)
        for (auto& entry : collectionEntries({d.path, d.deviceId}, d.parsed.collections.size()))
            entries.push_back(std::move(entry));
    return entries;
}

bool SimBus::isPresent(const std::string& path) const {
    std::lock_guard lock(mutex_);
    return static_cast<bool>(find(path));
}

std::optional<InterfaceInfo> SimBus::info(const std::string& path) const {
    std::lock_guard lock(mutex_);
    Found found = find(path);
    if (!found) return std::nullopt;
    return InterfaceInfo{found.device->attributes, *found.device->descriptor, found.collection};
}

bool SimBus::plugReceiver() {
    std::lock_guard lock(mutex_);
    if (receiverConfig()) return false;
    receiver_.linked = true;  // a receiver coming up finds its mouse again
    add(DeviceKind::BootMouse);
    add(layout_ == SimLayout::Shared ? DeviceKind::Shared : DeviceKind::Configuration);
    return true;
}

bool SimBus::unplugReceiver() {
    std::lock_guard lock(mutex_);
    deliverDue(Clock::now());
    pending_.clear();  // what it had not sent yet goes with it
    floodLeft_ = 0;
    bool any = false;
    for (;;) {
        auto it = std::find_if(devices_.begin(), devices_.end(),
                               [](const Device& d) { return d.kind != DeviceKind::Keyboard; });
        if (it == devices_.end()) break;
        remove(it);
        any = true;
    }
    return any;
}

std::string SimBus::plugKeyboard() {
    std::lock_guard lock(mutex_);
    add(DeviceKind::Keyboard);
    return devices_.back().path;
}

void SimBus::unplug(const std::string& path) {
    std::lock_guard lock(mutex_);
    Found found = find(path);
    if (!found) return;
    if (found.device == receiverConfig()) {
        deliverDue(Clock::now());
        pending_.clear();
        floodLeft_ = 0;
    }
    auto it = std::find_if(devices_.begin(), devices_.end(), [&](const Device& d) { return &d == found.device; });
    remove(it);
}

void SimBus::shutdown() {
    std::lock_guard lock(mutex_);
    deliverDue(Clock::now());
    pending_.clear();
    while (!devices_.empty()) remove(devices_.begin());
    trace_.close();
}

void SimBus::setLinked(bool linked) {
    std::lock_guard lock(mutex_);
    receiver_.linked = linked;
    if (!receiverConfig()) return;
    auto now = Clock::now();
    send(SimReceiver::statusReport(linked), now);
    deliverDue(now);
}

void SimBus::setAckWrong(uint32_t count) {
    std::lock_guard lock(mutex_);
    receiver_.ackWrong = count;
}

void SimBus::setAckDrop(uint32_t count) {
    std::lock_guard lock(mutex_);
    receiver_.ackDrop = count;
}

void SimBus::setDelay(uint32_t milliseconds) {
    std::lock_guard lock(mutex_);
    delayMs_ = milliseconds;
}

void SimBus::flood(uint32_t count) {
    std::lock_guard lock(mutex_);
    floodLeft_ = anyReceiverConfigReader() ? count : 0;
    Device* config = receiverConfig();
    if (floodLeft_ && config)
        for (auto& queue : config->readers) queue->wake.notify_all();
}

bool SimBus::write(const std::string& path, bool readWrite, const uint8_t* data, size_t size) {
    std::lock_guard lock(mutex_);
    auto now = Clock::now();
    deliverDue(now);  // what was due before this report is traced before it
    Found found = find(path);
    if (!found || !readWrite) return false;
    // Like a HID stack that takes whole output reports only.
    uint16_t outputLength = found.top().caps.OutputReportByteLength;
    if (outputLength == 0 || size != outputLength) return false;
    if (!carriesReceiverConfig(found)) return true;  // another collection's or device's; not traced
    Report report(data, data + size);
    trace_.add("OUT", report);
    if (auto answer = receiver_.answer(report)) {
        send(std::move(*answer), now + std::chrono::milliseconds(delayMs_));
        deliverDue(now);
    }
    return true;
}

std::shared_ptr<ReadQueue> SimBus::openReader(const std::string& path) {
    std::lock_guard lock(mutex_);
    deliverDue(Clock::now());  // reports already sent do not reach a reader opened after them
    Found found = find(path);
    if (!found) return nullptr;
    auto queue = std::make_shared<ReadQueue>(found.top().reportIds, carriesReceiverConfig(found));
    found.device->readers.push_back(queue);
    return queue;
}

void SimBus::closeReader(const std::shared_ptr<ReadQueue>& queue) {
    std::lock_guard lock(mutex_);
    for (auto& d : devices_) std::erase(d.readers, queue);
    if (!anyReceiverConfigReader()) floodLeft_ = 0;
}

HidReadResult SimBus::read(ReadQueue& queue, uint8_t* buffer, size_t size) {
    std::unique_lock lock(mutex_);
    for (;;) {
        if (queue.stopped) return {HidReadResult::Stopped, 0, 0};
        deliverDue(Clock::now());
        // The next flood report goes out once this reader has read everything before it.
        if (queue.reports.empty() && queue.receiverConfig && !queue.gone && floodLeft_ > 0) sendFloodReport();
        if (!queue.reports.empty()) {
            Report report = std::move(queue.reports.front());
            queue.reports.pop_front();
            size_t n = std::min(size, report.size());
            if (n) std::memcpy(buffer, report.data(), n);  // an empty report has no data to copy from
            return {HidReadResult::Data, n, 0};
        }
        // Reports that arrived before the interface went are read first, as from a hidraw node.
        if (queue.gone) return {HidReadResult::Gone, 0, 0};
        // A reader of the configuration collection is what makes a delayed answer go out on time;
        // otherwise nothing wakes it but a report, stop() or the interface going.
        if (queue.receiverConfig && !pending_.empty())
            queue.wake.wait_until(lock, pending_.front().due);
        else
            queue.wake.wait(lock);
    }
}

void SimBus::stop(ReadQueue& queue) {
    std::lock_guard lock(mutex_);
    queue.stopped = true;
    queue.wake.notify_all();
}

void SimBus::pause(ReadQueue& queue, uint32_t milliseconds) {
    std::unique_lock lock(mutex_);
    queue.wake.wait_for(lock, std::chrono::milliseconds(milliseconds), [&] { return queue.stopped; });
}

std::vector<std::string> SimBus::record() {
    std::lock_guard lock(mutex_);
    deliverDue(Clock::now());
    return trace_.lines();
}

SimBus::Found SimBus::find(const std::string& path) const {
    CollectionName name = splitCollectionName(path);
    for (const auto& d : devices_) {
        if (d.path != name.device) continue;
        const size_t collections = d.parsed.collections.size();
        // A device of several collections is reached through its collections' names only.
        if (name.collection >= collections || (collections > 1) != (path != d.path)) return {};
        return {const_cast<Device*>(&d), name.collection};
    }
    return {};
}

SimBus::Device* SimBus::receiverConfig() {
    for (auto& d : devices_)
        if (d.kind == DeviceKind::Configuration || d.kind == DeviceKind::Shared) return &d;
    return nullptr;
}

bool SimBus::carriesReceiverConfig(const Found& found) {
    DeviceKind kind = found.device->kind;
    return (kind == DeviceKind::Configuration || kind == DeviceKind::Shared) &&
           found.top().reportIds.test(kConfigReportId);
}

void SimBus::add(DeviceKind kind) {
    bool keyboard = kind == DeviceKind::Keyboard;
    uint16_t vendor = keyboard ? kKeyboardVendor : kReceiverVendor;
    uint16_t product = keyboard ? kKeyboardProduct : kReceiverProduct;
    const std::vector<uint8_t>& descriptor = kind == DeviceKind::BootMouse       ? bootMouseDescriptor()
                                             : kind == DeviceKind::Configuration ? receiverConfigDescriptor()
                                             : kind == DeviceKind::Shared        ? sharedReceiverDescriptor()
                                                                                 : bootKeyboardDescriptor();
    // Named like a HID device in sysfs (bus USB), with a prefix no real node or device has.
    char name[32];
    std::snprintf(name, sizeof name, "0003:%04X:%04X.%04X", unsigned{vendor}, unsigned{product}, unsigned{++instance_});
    Device d{kind, std::string("sim:") + name, std::string("sim-") + name, HidAttributes{}, &descriptor, {}, {}};
    parseReportDescriptor(descriptor.data(), descriptor.size(), d.parsed);
    d.attributes.VendorID = vendor;
    d.attributes.ProductID = product;
    d.attributes.VersionNumber = kVersion;
    devices_.push_back(std::move(d));
}

void SimBus::remove(std::vector<Device>::iterator it) {
    for (auto& queue : it->readers) {
        queue->gone = true;
        queue->wake.notify_all();
    }
    devices_.erase(it);
}

void SimBus::send(Report report, Clock::time_point due) {
    // One report after the other, as the receiver's firmware would.
    if (!pending_.empty()) due = std::max(due, pending_.back().due);
    pending_.push_back({due, std::move(report)});
    // A reader waiting without a deadline must now wait for this one's.
    if (Device* config = receiverConfig())
        for (auto& queue : config->readers) queue->wake.notify_all();
}

void SimBus::deliverDue(Clock::time_point now) {
    while (!pending_.empty() && pending_.front().due <= now) {
        Report report = std::move(pending_.front().report);
        pending_.pop_front();
        trace_.add("IN", report);
        Device* config = receiverConfig();
        if (!config) continue;
        // Each reader of the device has its own copy; only its collection's reports reach it.
        for (auto& queue : config->readers) {
            if (report.empty() || !queue->reportIds.test(report[0])) continue;
            if (queue->reports.size() == kMaxQueued) queue->reports.pop_front();
            queue->reports.push_back(report);
            queue->wake.notify_all();
        }
    }
}

bool SimBus::anyReceiverConfigReader() const {
    for (const auto& d : devices_)
        for (const auto& queue : d.readers)
            if (queue->receiverConfig) return true;
    return false;
}

void SimBus::sendFloodReport() {
    --floodLeft_;
    Report report = SimReceiver::floodReport(floodNext_++);
    Device* config = receiverConfig();
    if (!config) return;
    for (auto& queue : config->readers) {
        if (!queue->receiverConfig) continue;
        if (queue->reports.size() == kMaxQueued) queue->reports.pop_front();
        queue->reports.push_back(report);
        queue->wake.notify_all();
    }
}

}  // namespace orvix::sim
