#pragma once
// A scripted HID platform: the test decides which interfaces exist, what they report and when
// the set changes. Counts open handles so tests can see what the controller keeps open.

#include <condition_variable>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "hid/HidPlatform.h"

namespace orvix::test {

struct FakeInterface {
    std::string deviceId;
    uint16_t vendor = 0x0E8F;
    uint16_t product = 0x00A6;
    uint16_t version = 0x0100;
    uint16_t inputLength = 8;
    uint16_t outputLength = 8;
    bool readWrite = true;       // may be opened for reading and writing
    bool grantedOnWait = false;  // without readWrite: an open that waits for the permission gets it
    bool openable = true;        // may be opened at all
    bool identifiable = true;    // attributes can be read
    uint32_t readOpenError = 0;  // non-zero: opening a read handle fails with this code
};

class FakeHidPlatform final : public HidPlatform {
public:
    explicit FakeHidPlatform(EventLoop& loop);
    ~FakeHidPlatform() override;

    // Test side.
    void plug(FakeInterface iface);            // appended to the platform's order
    void unplug(const std::string& deviceId);  // its open read handles see the device gone
    void setUsable(bool usable) { usable_ = usable; }
    void failWrites(bool fail) { failWrites_ = fail; }
    void shortWrites(bool shortWrite) { shortWrites_ = shortWrite; }
    // The `count`-th write to the interface from now finds it going: within that write call it is
    // unplugged (its readers see it gone, scans no longer list it) and a device change is posted,
    // as the OS would. The write fails, or, with `taken`, is taken and reported written first.
    void vanishAtWrite(const std::string& deviceId, int count, bool taken);
    // Queues one input report (report ID first) for the interface's read handles.
    void pushReport(const std::string& deviceId, std::vector<uint8_t> report);
    void pushReadError(const std::string& deviceId, uint32_t error);
    // From now on opening its read handle fails with error (0: succeeds again). Any thread.
    void setReadOpenError(const std::string& deviceId, uint32_t error);
    int readOpens() const;  // attempts to open a read handle, successful or not
    // The interfaces an open waited on for write permission, in order.
    std::vector<std::string> waitedOpens() const;
    // Posts a device-change notification, as the OS would.
    void postChange(int32_t trigger = 0);
    int openSyncHandles() const { return openSync_; }
    int openReadHandles() const;
    int readCalls() const;
    size_t queued(const std::string& deviceId) const;  // reports not yet read
    std::vector<std::vector<uint8_t>> writes(const std::string& deviceId) const;
    std::string pathOf(const std::string& deviceId) const { return "fake:" + deviceId; }

    // HidPlatform.
    bool usable() const override { return usable_; }
    std::vector<THidPnPInfo> scanInterfaces() override;
    std::unique_ptr<HidSyncHandle> openSync(const std::string& path, HidAccess access, uint32_t& error) override;
    std::unique_ptr<HidReadHandle> openRead(const std::string& path, uint32_t& error) override;
    void startNotifications(Notify notify) override;
    void stopNotifications() override;
    // "write access for VVVV:PPPP"
    std::string writeAccessHint(const HidAttributes& attributes) const override;

    struct Shared;  // state shared with the handles, guarded for the reader threads

private:
    EventLoop& loop_;
    std::shared_ptr<Shared> shared_;
    Notify notify_;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
    bool usable_ = true;
    bool failWrites_ = false;
    bool shortWrites_ = false;
    int openSync_ = 0;

    friend class FakeSyncHandle;
};

}  // namespace orvix::test
