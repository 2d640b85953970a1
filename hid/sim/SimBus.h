#pragma once
// The simulated hardware: the HID devices present and the interfaces they list (one per top-level
// collection, as the real platforms list them), the reports on their way to the open read
// handles, and the receiver behind its configuration collection. The platform and every handle it
// opened share it (a handle may outlive the platform); one lock guards it all.

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "hid/HidPlatform.h"
#include "hid/ReportDescriptor.h"
#include "hid/sim/SimHidPlatform.h"
#include "hid/sim/SimReceiver.h"
#include "hid/sim/SimTrace.h"

namespace orvix::sim {

using Clock = std::chrono::steady_clock;

enum class DeviceKind {
    BootMouse,      // the receiver's mouse
    Configuration,  // the receiver's configuration collection alone
    Shared,         // the receiver's keyboard, consumer control and configuration collections
    Keyboard,       // a keyboard of another make
};

// One open read handle's side: the reports that have arrived for it and why its read returns.
struct ReadQueue {
    ReadQueue(ReportIdSet ids, bool config) : reportIds(ids), receiverConfig(config) {}
    const ReportIdSet reportIds;  // those of its collection: reports with others pass it by
    const bool receiverConfig;    // it reads the receiver's configuration collection
    std::condition_variable wake;
    std::deque<Report> reports;
    bool stopped = false;
    bool gone = false;
};

// What a synchronous handle queries.
struct InterfaceInfo {
    HidAttributes attributes;
    std::vector<uint8_t> descriptor;
    size_t collection = 0;  // the interface's top-level collection in the descriptor
};

class SimBus {
public:
    SimBus(const std::string& tracePath, SimLayout layout);

    std::vector<THidPnPInfo> present() const;
    bool isPresent(const std::string& path) const;
    std::optional<InterfaceInfo> info(const std::string& path) const;

    // The receiver's devices come as new instances. False when they are there already.
    bool plugReceiver();
    // False when they were not there.
    bool unplugReceiver();
    // A keyboard of another make comes; returns its interface's path.
    std::string plugKeyboard();
    void unplug(const std::string& path);
    // Every interface goes and the trace is closed: the platform is being destroyed.
    void shutdown();

    // The receiver sends the new status by itself (when it is plugged in).
    void setLinked(bool linked);
    void setAckWrong(uint32_t count);
    void setAckDrop(uint32_t count);
    void setDelay(uint32_t milliseconds);
    // The receiver sends count flood reports (SimReceiver::floodReport) to the readers of its
    // configuration collection open now, as fast as they read: each is made when the fastest
    // reader has read all before it, so the flood costs no memory however long it is. A hidraw
    // node passes on whatever its device sends, so they reach the readers whatever their report
    // IDs. They are lost when no reader is open, and stop when the last one closes or the
    // receiver goes. Not traced: a trace of a long flood would fill the disk.
    void flood(uint32_t count);

    // False when the interface has gone, the handle may not write, the interface has no output
    // report or size is not its output report length. The receiver takes what is written to its
    // configuration collection; what other collections are written is taken by no one.
    bool write(const std::string& path, bool readWrite, const uint8_t* data, size_t size);

    // Nothing when the interface is not present. Reports sent before the open are not seen, nor
    // reports of the device's other collections.
    std::shared_ptr<ReadQueue> openReader(const std::string& path);
    void closeReader(const std::shared_ptr<ReadQueue>& queue);
    HidReadResult read(ReadQueue& queue, uint8_t* buffer, size_t size);
    void stop(ReadQueue& queue);
    void pause(ReadQueue& queue, uint32_t milliseconds);

    std::vector<std::string> record();

private:
    // One HID device, listing an interface per top-level collection of its descriptor.
    struct Device {
        DeviceKind kind;
        std::string path;
        std::string deviceId;
        HidAttributes attributes;
        const std::vector<uint8_t>* descriptor;
        ReportDescriptorInfo parsed;
        std::vector<std::shared_ptr<ReadQueue>> readers;
    };
    // The interface a path names: a device and one of its collections.
    struct Found {
        Device* device = nullptr;
        size_t collection = 0;
        explicit operator bool() const { return device != nullptr; }
        const TopLevelCollection& top() const { return device->parsed.collections[collection]; }
    };
    // An input report the receiver sends when it is due.
    struct Pending {
        Clock::time_point due;
        Report report;
    };

    Found find(const std::string& path) const;
    Device* receiverConfig();
    static bool carriesReceiverConfig(const Found& found);
    void add(DeviceKind kind);
    void remove(std::vector<Device>::iterator it);
    void send(Report report, Clock::time_point due);
    void deliverDue(Clock::time_point now);
    bool anyReceiverConfigReader() const;
    void sendFloodReport();

    mutable std::mutex mutex_;
    const SimLayout layout_;
    std::vector<Device> devices_;  // in the order they came
    uint32_t instance_ = 0;        // numbers each new HID device, as the kernel does
    SimReceiver receiver_;
    uint32_t delayMs_ = 0;
    std::deque<Pending> pending_;  // in sending order, due times rising
    uint32_t floodLeft_ = 0;       // flood reports still to send
    uint32_t floodNext_ = 0;       // the next one's index
    SimTrace trace_;
};

}  // namespace orvix::sim
