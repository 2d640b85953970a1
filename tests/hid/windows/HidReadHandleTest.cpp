// The device handles on a real device (wine's HID mouse, which never reports without a display
// and has no output report): a read stays pending until a stop cancels it, and a write fails.

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <vector>

#include "hid/windows/WindowsHidPlatform.h"
#include "tests/support/TestLoop.h"

namespace orvix::winhid {
namespace {

using namespace std::chrono_literals;

class WindowsReadHandleTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(platform.usable());
        for (auto& entry : platform.scanInterfaces()) {
            uint32_t error = 0;
            auto sync = platform.openSync(entry.DevicePath, HidAccess::QueryOnly, error);
            HidAttributes a;
            if (!sync || !sync->getAttributes(a) || a.VendorID != 0x845E || a.ProductID != 0x0001) continue;
            auto preparsed = sync->getPreparsedData();
            HidCaps caps;
            if (preparsed && preparsed->getCaps(caps)) reportLength = caps.InputReportByteLength;
            path = entry.DevicePath;
        }
        ASSERT_FALSE(path.empty()) << "wine's HID mouse is not listed";
        ASSERT_GT(reportLength, 0u);
    }

    std::unique_ptr<HidReadHandle> openRead() {
        uint32_t error = 0;
        auto handle = platform.openRead(path, error);
        EXPECT_NE(handle, nullptr) << "error " << error;
        return handle;
    }

    test::TestLoop loop;
    WindowsHidPlatform platform{loop};
    std::string path;
    size_t reportLength = 0;
};

TEST_F(WindowsReadHandleTest, StopEndsAPendingReadWithStopped) {
    auto handle = openRead();
    ASSERT_NE(handle, nullptr);
    std::vector<uint8_t> buffer(reportLength);
    auto result = std::async(std::launch::async, [&] { return handle->read(buffer.data(), buffer.size()); });
    EXPECT_EQ(result.wait_for(200ms), std::future_status::timeout);  // nothing to read: it waits
    handle->stop();
    ASSERT_EQ(result.wait_for(10s), std::future_status::ready);
    EXPECT_EQ(result.get().kind, HidReadResult::Stopped);
    // Stopped for good: a later read does not start.
    EXPECT_EQ(handle->read(buffer.data(), buffer.size()).kind, HidReadResult::Stopped);
}

TEST_F(WindowsReadHandleTest, PauseReturnsEarlyOnStop) {
    auto handle = openRead();
    ASSERT_NE(handle, nullptr);
    auto paused = std::async(std::launch::async, [&] { handle->pause(0xFFFFFFFF); });
    EXPECT_EQ(paused.wait_for(100ms), std::future_status::timeout);
    handle->stop();
    EXPECT_EQ(paused.wait_for(10s), std::future_status::ready);
}

TEST_F(WindowsReadHandleTest, AWriteToADeviceWithoutOutputReportsFails) {
    uint32_t error = 0;
    auto sync = platform.openSync(path, HidAccess::ReadWrite, error);
    ASSERT_NE(sync, nullptr) << "error " << error;
    uint8_t report[8] = {0x04, 0x02, 0x01, 0xA4, 0x1F, 0x00, 0x00, 0x3D};
    size_t written = 99;
    EXPECT_FALSE(sync->write(report, sizeof report, written));
    EXPECT_EQ(written, 0u);
}

}  // namespace
}  // namespace orvix::winhid
