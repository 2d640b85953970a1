#pragma once
// The device port: what the controller needs from the operating system's HID stack.
// One implementation per platform (hid/linux, hid/windows) plus the simulated receiver (hid/sim).

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/EventLoop.h"
#include "hid/HidTypes.h"

namespace orvix {

enum class HidAccess {
    ReadWrite,             // reading and writing, answered at once
    ReadWriteWhenGranted,  // the same, waiting briefly for a permission the system is still granting
    QueryOnly,             // attributes and capabilities only; writes fail
};

inline bool allowsWriting(HidAccess access) { return access != HidAccess::QueryOnly; }

// The platform's parsed report descriptor; capabilities are computed from it.
class HidPreparsedData {
public:
    virtual ~HidPreparsedData() = default;
    virtual bool getCaps(HidCaps& caps) const = 0;
};

// The synchronous handle: queries and blocking writes of one report.
class HidSyncHandle {
public:
    virtual ~HidSyncHandle() = default;
    virtual bool getAttributes(HidAttributes& attributes) = 0;
    virtual std::unique_ptr<HidPreparsedData> getPreparsedData() = 0;
    // Returns when the driver has taken the report. written: the byte count the OS reports.
    virtual bool write(const uint8_t* data, size_t size, size_t& written) = 0;
};

struct HidReadResult {
    enum Kind {
        Data,     // one input report: `bytes` bytes, the report ID first (0 when the device uses none)
        Failed,   // this read failed with `error`; a later read may succeed
        Gone,     // the device has gone; no later read will succeed
        Stopped,  // stop() was called
    };
    Kind kind = Stopped;
    size_t bytes = 0;
    uint32_t error = 0;
};

// The read handle, used by one reader thread. Waiting for a report costs no wake-ups.
class HidReadHandle {
public:
    virtual ~HidReadHandle() = default;
    // Blocks until one input report arrives, the read fails, the device goes or stop() is called.
    virtual HidReadResult read(uint8_t* buffer, size_t size) = 0;
    // Any thread: the pending read and every later one return Stopped.
    virtual void stop() = 0;
    // Interruptible pause used before retrying a failed read; returns early on stop().
    virtual void pause(uint32_t milliseconds) = 0;
};

class HidPlatform {
public:
    using Notify = std::function<void(int32_t trigger)>;

    virtual ~HidPlatform() = default;

    // False when the platform's HID support is missing: nothing is listed and no event comes.
    virtual bool usable() const = 0;

    // The interfaces present now, in the platform's order.
    virtual std::vector<THidPnPInfo> scanInterfaces() = 0;

    // error: the platform's code when the open fails.
    virtual std::unique_ptr<HidSyncHandle> openSync(const std::string& path, HidAccess access, uint32_t& error) = 0;
    // Also called from a reader thread, retrying an open that failed, while the main thread scans.
    virtual std::unique_ptr<HidReadHandle> openRead(const std::string& path, uint32_t& error) = 0;

    // Starts the device-change notifications. notify runs on the main thread, from the event loop:
    // first once with trigger -1 (the start-up scan), then whenever the set of devices may have
    // changed. After stopNotifications returns, notify is never called again.
    virtual void startNotifications(Notify notify) = 0;
    virtual void stopNotifications() = 0;

    // What the user can do about a device that this user may not open for writing (on Linux: the
    // udev rule that gives the user its node); empty when the platform knows nothing to do.
    virtual std::string writeAccessHint(const HidAttributes& attributes) const {
        (void)attributes;
        return {};
    }
};

// The platform this build and environment select: the simulated receiver when ORVIX_HID=sim,
// otherwise the machine's own HID stack.
std::unique_ptr<HidPlatform> makeHidPlatform(EventLoop& loop);

// Why the environment's choice cannot be made as asked (an unknown ORVIX_SIM_LAYOUT); empty when
// it can. The program checks it before anything else starts.
std::string hidPlatformProblem();

}  // namespace orvix
