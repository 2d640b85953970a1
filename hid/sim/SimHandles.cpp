#include "hid/sim/SimHandles.h"

#include "hid/ReportDescriptor.h"

namespace orvix::sim {

SimSyncHandle::SimSyncHandle(std::shared_ptr<SimBus> bus, std::string path, HidAccess access)
    : bus_(std::move(bus)), path_(std::move(path)), access_(access) {}

bool SimSyncHandle::getAttributes(HidAttributes& attributes) {
    auto info = bus_->info(path_);
    if (!info) return false;
    attributes.VendorID = info->attributes.VendorID;
    attributes.ProductID = info->attributes.ProductID;
    attributes.VersionNumber = info->attributes.VersionNumber;
    return true;
}

std::unique_ptr<HidPreparsedData> SimSyncHandle::getPreparsedData() {
    auto info = bus_->info(path_);
    if (!info) return nullptr;
    return std::make_unique<DescriptorPreparsedData>(std::move(info->descriptor), info->collection);
}

bool SimSyncHandle::write(const uint8_t* data, size_t size, size_t& written) {
    written = 0;
    if (!bus_->write(path_, allowsWriting(access_), data, size)) return false;
    written = size;
    return true;
}

SimReadHandle::SimReadHandle(std::shared_ptr<SimBus> bus, std::shared_ptr<ReadQueue> queue)
    : bus_(std::move(bus)), queue_(std::move(queue)) {}

SimReadHandle::~SimReadHandle() { bus_->closeReader(queue_); }

HidReadResult SimReadHandle::read(uint8_t* buffer, size_t size) { return bus_->read(*queue_, buffer, size); }

void SimReadHandle::stop() { bus_->stop(*queue_); }

void SimReadHandle::pause(uint32_t milliseconds) { bus_->pause(*queue_, milliseconds); }

}  // namespace orvix::sim
