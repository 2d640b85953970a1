#pragma once
// One HID interface listed by the controller.

#include <cstdint>
#include <memory>

#include "core/Handler.h"
#include "hid/HidPlatform.h"
#include "hid/HidTypes.h"

namespace orvix {

class THidDeviceController;
class THidDeviceReadThread;
class THidDevice;

using THidDataEvent = Handler<void(THidDevice& HidDev, uint8_t ReportID, const uint8_t* Data, uint16_t Size)>;
using THidUnplugEvent = Handler<void(THidDevice& HidDev)>;
using THidDataErrorEvent = Handler<void(THidDevice& HidDev, uint32_t Error)>;

class THidDevice {
public:
    THidDevice(const THidDevice&) = delete;
    THidDevice& operator=(const THidDevice&) = delete;
    ~THidDevice();

    const THidPnPInfo& PnPInfo() const { return pnpInfo_; }
    const HidAttributes& Attributes() const { return attributes_; }
    // From the preparsed data, fetched at the first need while the device is accessible;
    // all zero when that was not possible.
    HidCaps Caps();

    bool IsPluggedIn() const { return pluggedIn_; }
    bool IsCheckedOut() const { return checkedOut_; }
    bool HasReadWriteAccess() const { return hasReadWriteAccess_; }
    bool IsReading() const { return reader_ != nullptr; }

    // Blocking write of one report; false when the device is not held, gone, or the write fails.
    bool WriteFile(const uint8_t* Report, size_t ToWrite, size_t& BytesWritten);

    const THidDataEvent& OnData() const { return onData_; }
    void setOnData(THidDataEvent handler);
    const THidUnplugEvent& OnUnplug() const { return onUnplug_; }
    void setOnUnplug(THidUnplugEvent handler) { onUnplug_ = std::move(handler); }
    const THidDataErrorEvent& OnDataError() const { return onDataError_; }
    void setOnDataError(THidDataErrorEvent handler) { onDataError_ = std::move(handler); }

    // Kept for the component's interface: reads here wait on a stop request directly, so the
    // value only paces the retry after a failed read.
    uint32_t ThreadSleepTime() const { return threadSleepTime_; }
    void setThreadSleepTime(uint32_t ms) { threadSleepTime_ = ms; }

    THidDeviceController* controller() const { return controller_; }

private:
    friend class THidDeviceController;
    friend class THidDeviceReadThread;

    THidDevice(THidDeviceController& controller, THidPnPInfo info);

    // Creation: open (read/write, else query only), read the attributes, close.
    // Returns false when the device cannot be opened or identified.
    bool create(HidPlatform& platform);

    bool accessible() const { return pluggedIn_ && (checkedOut_ || enumerating_); }
    bool openSync();
    // For the device just taken without write access: waits briefly for a permission the system
    // may still be granting (a node that has just appeared). Only the taken device waits, so a
    // scan over many devices this user may not write to never does.
    void awaitWriteAccess();
    void closeHandles();
    // Marks the device gone and calls its OnUnplug once. The handler may check the device in,
    // which destroys it: callers must not touch the device afterwards.
    void unplug();
    void startReaderIfReady();
    void stopReader();

    // Run on the main thread for the reader.
    void deliverData(uint8_t reportId, const uint8_t* data, uint16_t size);
    void deliverDataError(uint32_t error);

    THidDeviceController* controller_;
    THidPnPInfo pnpInfo_;
    HidAttributes attributes_;
    uint64_t serial_ = 0;  // this object's own identity within the controller

    bool pluggedIn_ = true;
    bool checkedOut_ = false;
    bool enumerating_ = false;
    bool hasReadWriteAccess_ = false;
    bool stoppingReader_ = false;
    bool checkingIn_ = false;  // CheckIn is stopping the reader
    uint32_t threadSleepTime_ = 100;

    std::unique_ptr<HidSyncHandle> sync_;
    std::unique_ptr<HidPreparsedData> preparsed_;
    std::unique_ptr<THidDeviceReadThread> reader_;

    THidDataEvent onData_;
    THidUnplugEvent onUnplug_;
    THidDataErrorEvent onDataError_;
};

}  // namespace orvix
