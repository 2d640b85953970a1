// The hidden notification window: one rescan per DBT_DEVNODES_CHANGED, nothing for anything else,
// and nothing at all once notifications have stopped. Every check ends on a marker message posted
// after the messages under test, so no test waits for something that should not come.

#include <gtest/gtest.h>

#include <windows.h>
// dbt.h builds on windows.h.
#include <dbt.h>

#include <vector>

#include "hid/windows/DeviceChangeWindow.h"
#include "hid/windows/WindowsHidPlatform.h"
#include "tests/support/TestLoop.h"

namespace orvix::winhid {
namespace {

constexpr int32_t kMarker = 4711;

class DeviceChangeWindowTest : public ::testing::Test {
protected:
    // Posts the marker behind everything queued for `window` and pumps until it has arrived.
    bool drain(HWND window) {
        if (!PostMessageW(window, WM_DEVICECHANGE, DBT_DEVNODES_CHANGED, kMarker)) return false;
        return loop.runUntil([&] { return !triggers.empty() && triggers.back() == kMarker; });
    }
    DeviceChangeWindow::Notify recorder() {
        return [this](int32_t trigger) { triggers.push_back(trigger); };
    }
    // The triggers without the closing marker.
    std::vector<int32_t> seen() const { return {triggers.begin(), triggers.end() - 1}; }

    test::TestLoop loop;  // pumps this thread's window messages while it waits
    std::vector<int32_t> triggers;
};

TEST_F(DeviceChangeWindowTest, IsAHiddenTopLevelWindow) {
    DeviceChangeWindow window(recorder());
    ASSERT_TRUE(window.valid());
    EXPECT_EQ(GetAncestor(window.handle(), GA_PARENT), GetDesktopWindow());  // not message-only
    EXPECT_FALSE(IsWindowVisible(window.handle()));
}

TEST_F(DeviceChangeWindowTest, RescansOnlyForDeviceNodeChanges) {
    // Device events from 0x8000 on carry a record in lParam and can only be sent, not posted.
    DEV_BROADCAST_HDR record{sizeof(DEV_BROADCAST_HDR), DBT_DEVTYP_DEVICEINTERFACE, 0};
    auto recordParam = reinterpret_cast<LPARAM>(&record);
    struct Case {
        const char* what;
        UINT msg;
        WPARAM wParam;
        LPARAM lParam;
        bool rescan;
    } cases[] = {
        {"DBT_DEVNODES_CHANGED", WM_DEVICECHANGE, DBT_DEVNODES_CHANGED, 123, true},
        {"DBT_DEVICEARRIVAL", WM_DEVICECHANGE, DBT_DEVICEARRIVAL, recordParam, false},
        {"DBT_DEVICEREMOVECOMPLETE", WM_DEVICECHANGE, DBT_DEVICEREMOVECOMPLETE, recordParam, false},
        {"DBT_CONFIGCHANGED", WM_DEVICECHANGE, DBT_CONFIGCHANGED, 0, false},
        {"wParam 0", WM_DEVICECHANGE, 0, 123, false},
        {"another message with wParam 7", WM_USER + 7, DBT_DEVNODES_CHANGED, 123, false},
    };
    DeviceChangeWindow window(recorder());
    ASSERT_TRUE(window.valid());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        triggers.clear();
        SendMessageW(window.handle(), c.msg, c.wParam, c.lParam);  // handled inside the call
        EXPECT_EQ(triggers, c.rescan ? std::vector<int32_t>{123} : std::vector<int32_t>{});
    }
}

TEST_F(DeviceChangeWindowTest, EveryBroadcastRescansOnceWithItsParameter) {
    DeviceChangeWindow window(recorder());
    ASSERT_TRUE(window.valid());
    for (LPARAM p : {1, 2, 3}) PostMessageW(window.handle(), WM_DEVICECHANGE, DBT_DEVNODES_CHANGED, p);
    ASSERT_TRUE(drain(window.handle()));
    EXPECT_EQ(seen(), (std::vector<int32_t>{1, 2, 3}));
    // A sent message is handled as well, inside the call.
    SendMessageW(window.handle(), WM_DEVICECHANGE, DBT_DEVNODES_CHANGED, 9);
    EXPECT_EQ(triggers.back(), 9);
}

TEST_F(DeviceChangeWindowTest, AWindowDestroyedWithMessagesQueuedNeverNotifies) {
    DeviceChangeWindow other(recorder());  // receives the marker
    auto window = std::make_unique<DeviceChangeWindow>(recorder());
    ASSERT_TRUE(window->postStartScan());
    window.reset();
    ASSERT_TRUE(drain(other.handle()));
    EXPECT_EQ(seen(), std::vector<int32_t>{});
}

TEST_F(DeviceChangeWindowTest, PlatformPostsTheStartUpScanInsteadOfScanningAtOnce) {
    WindowsHidPlatform platform(loop);
    ASSERT_TRUE(platform.usable());
    platform.startNotifications(recorder());
    EXPECT_TRUE(triggers.empty());  // only the message loop runs it
    ASSERT_NE(platform.notificationWindow(), nullptr);
    ASSERT_TRUE(drain(platform.notificationWindow()));
    EXPECT_EQ(seen(), std::vector<int32_t>{-1});
}

TEST_F(DeviceChangeWindowTest, NoNotifyAfterStopOrDestruction) {
    DeviceChangeWindow other(recorder());
    for (bool destroy : {false, true}) {
        SCOPED_TRACE(destroy ? "destroyed" : "stopped");
        triggers.clear();
        auto platform = std::make_unique<WindowsHidPlatform>(loop);
        platform->startNotifications(recorder());  // the start-up scan is queued
        HWND window = platform->notificationWindow();
        ASSERT_NE(window, nullptr);
        PostMessageW(window, WM_DEVICECHANGE, DBT_DEVNODES_CHANGED, 5);
        if (destroy)
            platform.reset();
        else
            platform->stopNotifications();
        EXPECT_FALSE(IsWindow(window));
        ASSERT_TRUE(drain(other.handle()));
        EXPECT_EQ(seen(), std::vector<int32_t>{});
    }
}

}  // namespace
}  // namespace orvix::winhid
