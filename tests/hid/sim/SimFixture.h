#pragma once
// The simulated platform over a test loop, with bounded reads: no test can hang on a read.

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <optional>
#include <string>
#include <vector>

#include "hid/ReportDescriptor.h"
#include "hid/sim/SimHidPlatform.h"
#include "tests/support/TestLoop.h"

namespace orvix::test {

using namespace std::chrono_literals;
using Bytes = std::vector<uint8_t>;
using Strings = std::vector<std::string>;

// An A4 frame with its checksum.
inline Bytes a4(uint8_t a0, uint8_t a1 = 0, uint8_t a2 = 0) {
    return {0x04, 0x02, 0x01, 0xA4, a0, a1, a2, static_cast<uint8_t>(0x5C - a0 - a1 - a2)};
}
inline const Bytes linkedReport{0x04, 0x80, 0, 0, 0, 0, 0, 0};
inline const Bytes unlinkedReport{0x04, 0x81, 0, 0, 0, 0, 0, 0};
inline Bytes ack(uint8_t key) { return {0x04, 0x89, 0x00, key, 0, 0, 0, 0}; }

// One read() running on a thread of its own.
class PendingRead {
public:
    explicit PendingRead(HidReadHandle& handle, size_t size = 16) : handle_(handle), buffer_(size) {
        result_ = std::async(std::launch::async, [this] { return handle_.read(buffer_.data(), buffer_.size()); });
    }
    // Stops a read still blocked, so a failing test ends instead of hanging.
    ~PendingRead() {
        if (!result_.valid()) return;
        if (result_.wait_for(0s) != std::future_status::ready) handle_.stop();
        result_.wait();
    }
    // Nothing while the read is still blocked after `limit`.
    std::optional<HidReadResult> wait(std::chrono::milliseconds limit = 5s) {
        if (!result_.valid()) return done_;
        if (result_.wait_for(limit) != std::future_status::ready) return std::nullopt;
        done_ = result_.get();
        return done_;
    }
    Bytes bytes() const { return done_ ? Bytes(buffer_.begin(), buffer_.begin() + done_->bytes) : Bytes{}; }

private:
    HidReadHandle& handle_;
    Bytes buffer_;
    std::future<HidReadResult> result_;
    std::optional<HidReadResult> done_;
};

class SimTest : public ::testing::Test {
protected:
    void make(SimOptions options = {}) {
        sim = std::make_unique<SimHidPlatform>(loop, std::move(options));
        sim->startNotifications([this](int32_t trigger) { triggers.push_back(trigger); });
    }
    // The receiver whose configuration collection shares a device with a keyboard and a consumer control.
    void makeShared() {
        SimOptions options;
        options.layout = SimLayout::Shared;
        make(std::move(options));
    }
    // The configuration interface: the receiver's interface with an output report.
    std::string configPath() {
        for (auto& entry : sim->scanInterfaces()) {
            uint32_t error = 0;
            auto h = sim->openSync(entry.DevicePath, HidAccess::QueryOnly, error);
            HidAttributes attributes;
            HidCaps caps;
            if (h && h->getAttributes(attributes) && attributes.VendorID == 0x0E8F &&
                h->getPreparsedData()->getCaps(caps) && caps.OutputReportByteLength == 8)
                return entry.DevicePath;
        }
        return {};
    }
    std::unique_ptr<HidSyncHandle> openConfig(HidAccess access = HidAccess::ReadWrite) {
        uint32_t error = 0;
        return sim->openSync(configPath(), access, error);
    }
    std::unique_ptr<HidReadHandle> readConfig() {
        uint32_t error = 0;
        return sim->openRead(configPath(), error);
    }
    static bool write(HidSyncHandle& h, const Bytes& report) {
        size_t written = 0;
        return h.write(report.data(), report.size(), written) && written == report.size();
    }
    // The next input report, or nothing when none comes within the limit (the handle is then
    // stopped for good).
    static std::optional<Bytes> next(HidReadHandle& h, std::chrono::milliseconds limit = 5s) {
        PendingRead read(h);
        auto result = read.wait(limit);
        if (!result || result->kind != HidReadResult::Data) return std::nullopt;
        return read.bytes();
    }
    // One read that should return at once; nothing if it blocks (the handle is then stopped).
    static std::optional<HidReadResult> readOnce(HidReadHandle& h) { return PendingRead(h).wait(2s); }
    static int kindOf(const std::optional<HidReadResult>& r) { return r ? r->kind : -1; }
    // Runs the loop until `count` notifications have come; false if they do not within 5 s.
    bool notified(size_t count) {
        return loop.runUntil([&] { return triggers.size() >= count; });
    }

    TestLoop loop;
    std::unique_ptr<SimHidPlatform> sim;
    std::vector<int32_t> triggers;
};

}  // namespace orvix::test
