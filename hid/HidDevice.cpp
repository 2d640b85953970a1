#include "hid/HidDevice.h"

#include "hid/HidDeviceController.h"
#include "hid/HidDeviceReadThread.h"

namespace orvix {

THidDevice::THidDevice(THidDeviceController& controller, THidPnPInfo info)
    : controller_(&controller), pnpInfo_(std::move(info)) {
    onData_ = controller.OnDeviceData();
    onUnplug_ = controller.OnDeviceUnplug();
}

THidDevice::~THidDevice() {
    stopReader();
    closeHandles();
}

bool THidDevice::create(HidPlatform& platform) {
    uint32_t error = 0;
    auto handle = platform.openSync(pnpInfo_.DevicePath, HidAccess::ReadWrite, error);
    hasReadWriteAccess_ = handle != nullptr;
    if (!handle) handle = platform.openSync(pnpInfo_.DevicePath, HidAccess::QueryOnly, error);
    if (!handle) return false;  // "Device cannot be opened"
    attributes_ = HidAttributes{};
    attributes_.Size = 12;
    return handle->getAttributes(attributes_);  // else "Device cannot be identified"
}

bool THidDevice::openSync() {
    if (sync_) return true;
    if (!accessible() || !controller_) return false;
    HidPlatform& platform = controller_->platform();
    uint32_t error = 0;
    sync_ = platform.openSync(pnpInfo_.DevicePath, HidAccess::ReadWrite, error);
    hasReadWriteAccess_ = sync_ != nullptr;
    if (!sync_) sync_ = platform.openSync(pnpInfo_.DevicePath, HidAccess::QueryOnly, error);
    return sync_ != nullptr;
}

void THidDevice::awaitWriteAccess() {
    if (hasReadWriteAccess_ || !accessible() || !controller_) return;
    uint32_t error = 0;
    auto handle = controller_->platform().openSync(pnpInfo_.DevicePath, HidAccess::ReadWriteWhenGranted, error);
    if (!handle) return;
    sync_ = std::move(handle);
    hasReadWriteAccess_ = true;
}

void THidDevice::closeHandles() {
    // The reader owns the read handle; a reader only runs while the device is held, and the
    // holder's CheckIn (or an unplug) stops it.
    sync_.reset();
}

HidCaps THidDevice::Caps() {
    if (!preparsed_) {
        bool wasOpen = sync_ != nullptr;
        if (openSync()) {
            preparsed_ = sync_->getPreparsedData();
            if (!wasOpen) sync_.reset();
        }
    }
    HidCaps caps{};
    if (preparsed_ && !preparsed_->getCaps(caps)) caps = HidCaps{};
    return caps;
}

bool THidDevice::WriteFile(const uint8_t* Report, size_t ToWrite, size_t& BytesWritten) {
    BytesWritten = 0;
    if (!openSync()) return false;
    return sync_->write(Report, ToWrite, BytesWritten);
}

void THidDevice::setOnData(THidDataEvent handler) {
    if (!handler) stopReader();
    onData_ = std::move(handler);
    startReaderIfReady();
}

void THidDevice::startReaderIfReady() {
    if (reader_ || stoppingReader_ || checkingIn_ || !onData_ || !pluggedIn_ || !checkedOut_ || !hasReadWriteAccess_ ||
        !controller_)
        return;
    uint16_t length = Caps().InputReportByteLength;
    if (length == 0) return;  // no input reports to read
    HidPlatform* platform = &controller_->platform();
    std::string path = pnpInfo_.DevicePath;
    // Opened here, before the holder writes anything, so no answer to its first write is missed;
    // when that fails the reader tries again after its pause, as it does after a failed read.
    uint32_t error = 0;
    auto handle = platform->openRead(path, error);
    auto opener = [platform, path](uint32_t& e) { return platform->openRead(path, e); };
    reader_ = std::make_unique<THidDeviceReadThread>(*this, std::move(handle), error, std::move(opener), length,
                                                     threadSleepTime_, controller_->loop());
}

void THidDevice::stopReader() {
    if (!reader_ || stoppingReader_) return;
    // A hand-over run while the reader stops may come back here, or try to start another reader.
    stoppingReader_ = true;
    reader_->stop();
    reader_.reset();
    stoppingReader_ = false;
}

void THidDevice::unplug() {
    // The reader, if any, keeps its own handle: its reads end on their own once the device has
    // gone, and the holder's CheckIn stops it.
    closeHandles();
    pluggedIn_ = false;
    THidUnplugEvent handler = std::move(onUnplug_);
    onUnplug_ = {};
    if (handler) handler(*this);  // may check the device in, which destroys it
}

// The handlers are copied before the call: a handler may check the device in, destroying it
// and its own handler slots while it runs.
void THidDevice::deliverData(uint8_t reportId, const uint8_t* data, uint16_t size) {
    THidDataEvent handler = onData_;
    if (handler) handler(*this, reportId, data, size);
}

void THidDevice::deliverDataError(uint32_t error) {
    THidDataErrorEvent handler = onDataError_;
    if (handler) handler(*this, error);
}

}  // namespace orvix
