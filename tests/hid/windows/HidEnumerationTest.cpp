// SetupAPI and HID.dll against wine's own HID devices (a mouse 845E:0001 and a keyboard
// 845E:0002), through the platform, the controller and the receiver connection.

#include <gtest/gtest.h>

#include <windows.h>
// dbt.h builds on windows.h.
#include <dbt.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "hid/HidDeviceController.h"
#include "hid/windows/WindowsHidPlatform.h"
#include "hidMain/ReceiverConnection.h"
#include "tests/support/TestLoop.h"

namespace orvix::winhid {
namespace {

constexpr uint16_t kWineVendor = 0x845E;

struct Listed {
    THidPnPInfo entry;
    HidAttributes attributes;
    HidCaps caps;
};

std::string describe(const Listed& d) {
    char text[160];
    std::snprintf(text, sizeof text, "%04X:%04X in %u out %u id %s", d.attributes.VendorID, d.attributes.ProductID,
                  d.caps.InputReportByteLength, d.caps.OutputReportByteLength, d.entry.DeviceID.c_str());
    return text;
}

// Every interface the platform lists, with what the query-only handle tells about it.
std::vector<Listed> listAll(WindowsHidPlatform& platform) {
    std::vector<Listed> all;
    for (auto& entry : platform.scanInterfaces()) {
        Listed d{entry, {}, {}};
        uint32_t error = 0;
        auto handle = platform.openSync(entry.DevicePath, HidAccess::QueryOnly, error);
        if (handle) {
            handle->getAttributes(d.attributes);
            if (auto preparsed = handle->getPreparsedData()) preparsed->getCaps(d.caps);
        }
        all.push_back(d);
    }
    return all;
}

const Listed* findProduct(const std::vector<Listed>& all, uint16_t product) {
    for (auto& d : all)
        if (d.attributes.VendorID == kWineVendor && d.attributes.ProductID == product) return &d;
    return nullptr;
}

// Counts the rescans the controller runs; otherwise the Windows platform as it is.
class CountingPlatform final : public HidPlatform {
public:
    explicit CountingPlatform(EventLoop& loop) : inner_(loop) {}
    bool usable() const override { return inner_.usable(); }
    std::vector<THidPnPInfo> scanInterfaces() override {
        ++scans;
        return inner_.scanInterfaces();
    }
    std::unique_ptr<HidSyncHandle> openSync(const std::string& p, HidAccess a, uint32_t& e) override {
        return inner_.openSync(p, a, e);
    }
    std::unique_ptr<HidReadHandle> openRead(const std::string& p, uint32_t& e) override {
        return inner_.openRead(p, e);
    }
    void startNotifications(Notify notify) override { inner_.startNotifications(std::move(notify)); }
    void stopNotifications() override { inner_.stopNotifications(); }
    HWND window() const { return inner_.notificationWindow(); }

    int scans = 0;

private:
    WindowsHidPlatform inner_;
};

TEST(WindowsHidEnumeration, ListsWineDevicesWithAttributesAndReportLengths) {
    test::TestLoop loop;
    WindowsHidPlatform platform(loop);
    ASSERT_TRUE(platform.usable());
    auto all = listAll(platform);
    std::string seen;
    for (auto& d : all) seen += describe(d) + "; ";
    SCOPED_TRACE("listed: " + seen);
    struct Expected {
        uint16_t product;
        uint16_t usage;  // generic desktop page: 2 mouse, 6 keyboard
    };
    for (Expected e : {Expected{0x0001, 2}, Expected{0x0002, 6}}) {
        const Listed* d = findProduct(all, e.product);
        ASSERT_NE(d, nullptr) << "no 845E:" << e.product;
        EXPECT_EQ(d->caps.UsagePage, 1u);
        EXPECT_EQ(d->caps.Usage, e.usage);
        EXPECT_EQ(d->caps.OutputReportByteLength, 0u);                                  // neither has an output report
        EXPECT_EQ(d->entry.DevicePath.rfind("\\\\?\\", 0), 0u) << d->entry.DevicePath;  // an interface path
        EXPECT_FALSE(d->entry.DeviceID.empty());
        EXPECT_EQ(d->entry.DeviceID.find_first_not_of("0123456789"), std::string::npos);  // the DevInst number
        EXPECT_GT(d->caps.InputReportByteLength, 1u);                                     // the report ID byte and data
    }
    // The identity pairs entries across rescans: a second scan gives the same ones.
    auto again = platform.scanInterfaces();
    ASSERT_EQ(again.size(), all.size());
    for (size_t i = 0; i < again.size(); ++i) EXPECT_EQ(again[i].DeviceID, all[i].entry.DeviceID);
}

TEST(WindowsHidEnumeration, OpenErrorsComeBackWithTheSystemCode) {
    test::TestLoop loop;
    WindowsHidPlatform platform(loop);
    uint32_t error = 0;
    EXPECT_EQ(platform.openSync("\\\\?\\hid#no-such-device#0", HidAccess::QueryOnly, error), nullptr);
    EXPECT_NE(error, 0u);
    error = 0;
    EXPECT_EQ(platform.openRead("\\\\?\\hid#no-such-device#0", error), nullptr);
    EXPECT_NE(error, 0u);
}

class WindowsControllerTest : public ::testing::Test {
protected:
    void SetUp() override {
        auto p = std::make_unique<CountingPlatform>(loop);
        platform = p.get();
        THidDeviceController::Events events;
        events.OnDeviceChange = [this](THidDeviceController&) { ++changes; };
        chid = std::make_unique<THidDeviceController>(std::move(p), loop, std::move(events));
    }
    // Delivers a device-change message to the notification window as the system would; returns
    // the number of rescans it ran.
    int deliver(WPARAM wParam, LPARAM lParam) {
        int before = platform->scans;
        SendMessageW(platform->window(), WM_DEVICECHANGE, wParam, lParam);
        return platform->scans - before;
    }

    test::TestLoop loop;
    CountingPlatform* platform = nullptr;
    std::unique_ptr<THidDeviceController> chid;
    int changes = 0;
};

TEST_F(WindowsControllerTest, FirstScanComesFromTheMessageLoopAndReportsAChange) {
    EXPECT_EQ(platform->scans, 0);
    ASSERT_TRUE(loop.runUntil([&] { return changes == 1; }));
    EXPECT_EQ(platform->scans, 1);
    EXPECT_EQ(chid->triggerParameter(), -1);
    EXPECT_GE(chid->count(), 2);
}

TEST_F(WindowsControllerTest, OneRescanPerDeviceNodeChangeAndNoneForOtherEvents) {
    ASSERT_TRUE(loop.runUntil([&] { return changes == 1; }));
    DEV_BROADCAST_HDR record{sizeof(DEV_BROADCAST_HDR), DBT_DEVTYP_DEVICEINTERFACE, 0};
    EXPECT_EQ(deliver(DBT_DEVNODES_CHANGED, 7), 1);
    EXPECT_EQ(chid->triggerParameter(), 7);
    EXPECT_EQ(deliver(DBT_DEVICEARRIVAL, reinterpret_cast<LPARAM>(&record)), 0);
    EXPECT_EQ(deliver(DBT_DEVICEREMOVECOMPLETE, reinterpret_cast<LPARAM>(&record)), 0);
    EXPECT_EQ(deliver(DBT_DEVNODES_CHANGED, 8), 1);
    EXPECT_EQ(changes, 1);  // nothing came or went
}

TEST_F(WindowsControllerTest, EnumerateOffersWineDevicesWithTheirIdentifiers) {
    ASSERT_TRUE(loop.runUntil([&] { return changes == 1; }));
    std::vector<std::pair<uint16_t, uint16_t>> ids;
    chid->setOnEnumerate([&](THidDevice& d, int) {
        ids.push_back({d.Attributes().VendorID, d.Attributes().ProductID});
        EXPECT_GT(d.Caps().InputReportByteLength, 1u);
        return true;
    });
    EXPECT_EQ(chid->Enumerate(), chid->count());
    EXPECT_NE(std::find(ids.begin(), ids.end(), std::make_pair(kWineVendor, uint16_t{1})), ids.end());
    EXPECT_NE(std::find(ids.begin(), ids.end(), std::make_pair(kWineVendor, uint16_t{2})), ids.end());
}

class NullConsole final : public ConsoleView {
public:
    bool showing() const override { return true; }
    void appendLine(const std::string& s) override { lines.push_back(s); }
    void setCaption(const std::string&) override {}
    std::vector<std::string> lines;
};

TEST(WindowsReceiverConnection, SkipsWineDevicesAndHoldsNothing) {
    test::TestLoop loop;
    NullConsole console;
    ReceiverConnection conn(makeNativeHidPlatform(loop), loop, console);
    std::vector<bool> devChanges;
    conn.setOnDevChange([&](bool on) { devChanges.push_back(on); });
    int offered = 0;
    // Runs the first scan, then walks the list as the connection does.
    ASSERT_TRUE(loop.runUntil([&] { return conn.chid.count() >= 2; }));
    conn.chid.setOnEnumerate([&](THidDevice& d, int) {
        ++offered;
        EXPECT_FALSE(conn.isTargetDevice(d)) << std::hex << d.Attributes().VendorID << ":" << d.Attributes().ProductID;
        return true;
    });
    conn.chid.Enumerate();
    EXPECT_GE(offered, 2);
    EXPECT_FALSE(conn.devOn());
    EXPECT_TRUE(devChanges.empty());
    EXPECT_TRUE(console.lines.empty());
}

}  // namespace
}  // namespace orvix::winhid
