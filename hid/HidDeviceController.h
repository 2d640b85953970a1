#pragma once
// Keeps the ordered list of the machine's HID interfaces current, lets its owner walk the list and
// check one device out, and raises every event on the main thread.

#include <cstdint>
#include <memory>
#include <vector>

#include "core/EventLoop.h"
#include "core/Handler.h"
#include "hid/HidDevice.h"
#include "hid/HidPlatform.h"

namespace orvix {

class THidDeviceController;

using THidEnumerateEvent = Handler<bool(THidDevice& HidDev, int Idx)>;
using TNotifyEvent = Handler<void(THidDeviceController& Sender)>;

class THidDeviceController {
public:
    // The handlers bound when the owner is built, before the first scan (like a window resource):
    // binding them this way runs no rescan.
    struct Events {
        THidEnumerateEvent OnEnumerate;
        TNotifyEvent OnDeviceChange;
        THidDataEvent OnDeviceData;
        THidUnplugEvent OnDeviceUnplug;
    };

    THidDeviceController(std::unique_ptr<HidPlatform> platform, EventLoop& loop, Events events = {});
    THidDeviceController(const THidDeviceController&) = delete;
    THidDeviceController& operator=(const THidDeviceController&) = delete;
    ~THidDeviceController();

    // Offers each plugged-in device to OnEnumerate in list order until it returns false.
    // Returns the number of plugged-in devices visited.
    int Enumerate();
    bool CheckOutByIndex(THidDevice*& HidDev, int Idx);
    void CheckIn(THidDevice*& HidDev);
    // The rescan; the platform's notifications run it (see notify).
    void DeviceChange();

    // A device-change notification from the platform; dropped while a rescan runs.
    void notify(int32_t trigger);

    bool usable() const { return platform_->usable(); }
    bool rescanning() const { return rescanning_; }
    int32_t triggerParameter() const { return trigger_; }
    int count() const { return static_cast<int>(list_.size()); }
    THidDevice* device(int idx) const { return list_.at(static_cast<size_t>(idx)).get(); }
    HidPlatform& platform() { return *platform_; }
    EventLoop& loop() { return loop_; }

    const THidEnumerateEvent& OnEnumerate() const { return onEnumerate_; }
    void setOnEnumerate(THidEnumerateEvent h) { onEnumerate_ = std::move(h); }
    const TNotifyEvent& OnDeviceChange() const { return onDeviceChange_; }
    // A different handler runs a rescan at once.
    void setOnDeviceChange(TNotifyEvent h);
    const THidDataEvent& OnDeviceData() const { return onDeviceData_; }
    void setOnDeviceData(THidDataEvent h);
    const THidUnplugEvent& OnDeviceUnplug() const { return onDeviceUnplug_; }
    void setOnDeviceUnplug(THidUnplugEvent h);
    const THidDataErrorEvent& OnDeviceDataError() const { return onDeviceDataError_; }
    void setOnDeviceDataError(THidDataErrorEvent h);
    uint32_t DevThreadSleepTime() const { return devThreadSleepTime_; }
    void setDevThreadSleepTime(uint32_t ms);

private:
    friend class THidDevice;

    std::vector<std::unique_ptr<THidDevice>> scanInterfaces();
    THidDevice* findBySerial(uint64_t serial) const;
    void destroyDevice(THidDevice* dev);

    std::unique_ptr<HidPlatform> platform_;
    EventLoop& loop_;
    std::vector<std::unique_ptr<THidDevice>> list_;
    uint64_t nextSerial_ = 1;

    THidEnumerateEvent onEnumerate_;
    TNotifyEvent onDeviceChange_;
    THidDataEvent onDeviceData_;
    THidUnplugEvent onDeviceUnplug_;
    THidDataErrorEvent onDeviceDataError_;
    uint32_t devThreadSleepTime_ = 100;

    bool rescanning_ = false;
    bool destroying_ = false;
    int32_t trigger_ = 0;
};

}  // namespace orvix
