// The receiver coming and going: udev's events, the release and retake of the held interface, and
// what the backend's handles do once the device has gone under them.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <iterator>
#include <set>

#include "tests/kernel/KernelFixture.h"
#include "tests/kernel/ProcessProbe.h"

namespace orvix::test {
namespace {

using namespace std::chrono_literals;

class Plugging : public KernelFixture {
protected:
    void plugAndConnect() {
        ASSERT_TRUE(receiver.plug()) << receiver.error();
        connect();
        ASSERT_TRUE(waitHeld(true));
    }
    bool waitListed(int count) {
        return loop.runUntil([&] { return conn->chid.count() == count; }, kernelWait);
    }
};

TEST_F(Plugging, UdevEventsTriggerTheRescanOnAddAndOnRemove) {
    ASSERT_TRUE(std::filesystem::exists("/run/udev/control")) << "udevd is not running in the guest";
    connect();
    loop.runFor(200ms);  // the start-up scan finds nothing
    ASSERT_FALSE(conn->devOn());
    ASSERT_EQ(conn->chid.count(), 0);

    // From here on only a device-change notification can start a rescan.
    ASSERT_TRUE(receiver.plug()) << receiver.error();
    ASSERT_TRUE(waitHeld(true));
    receiver.unplug();
    ASSERT_TRUE(waitHeld(false));
    ASSERT_TRUE(waitListed(0));
    EXPECT_EQ(changes, (std::vector<bool>{true, false}));
}

TEST_F(Plugging, UnplugWhileHeldReleasesOnceAndTheNewInstanceIsTakenAgain) {
    plugAndConnect();
    const std::string first = heldId();
    const std::set<int> threadsHeld = taskIds();

    receiver.unplug();
    ASSERT_TRUE(waitHeld(false));
    ASSERT_TRUE(waitListed(0));
    loop.runFor(300ms);  // a late or repeated event would show here
    EXPECT_EQ(changes, (std::vector<bool>{true, false}));
    EXPECT_EQ(linesStartingWith("Dev out"), 1);
    EXPECT_EQ(console.caption, "---");
    EXPECT_FALSE(conn->uSendA4(0x1F));
    EXPECT_EQ(taskIds().size(), threadsHeld.size() - 1);  // the reader has ended

    ASSERT_TRUE(receiver.plug()) << receiver.error();
    ASSERT_TRUE(waitHeld(true));
    EXPECT_EQ(heldId(), receiver.config().hidName);
    EXPECT_NE(heldId(), first);
    EXPECT_EQ(changes, (std::vector<bool>{true, false, true}));
    ASSERT_TRUE(conn->uSendA4(0x1F));
    ASSERT_TRUE(waitReceived(1));
}

// The controller alone, its owner holding on to the device after the unplug, as an owner that is
// slow to give it back would: the backend's read handle must end its reads and go quiet, and its
// write handle must refuse.
TEST_F(Plugging, HeldDeviceThatGoesEndsItsReadsWithoutSpinningAndRefusesWrites) {
    ASSERT_TRUE(receiver.plug()) << receiver.error();
    THidDevice* dev = nullptr;
    int unplugs = 0;
    std::vector<uint32_t> errors;
    std::vector<TByteDynArray> data;
    THidDeviceController::Events events;
    events.OnDeviceUnplug = [&](THidDevice& gone) { unplugs += &gone == dev; };  // the mouse goes too
    THidDeviceController chid(makeNativeHidPlatform(loop), loop, events);
    int index = -1;
    ASSERT_TRUE(loop.runUntil(
        [&] {
            for (int i = 0; i < chid.count(); ++i)
                if (chid.device(i)->PnPInfo().DeviceID == receiver.config().hidName) index = i;
            return index >= 0;
        },
        kernelWait));

    const std::set<int> before = taskIds();
    ASSERT_TRUE(chid.CheckOutByIndex(dev, index));
    dev->setOnData([&](THidDevice&, uint8_t, const uint8_t* d, uint16_t n) { data.emplace_back(d, d + n); });
    dev->setOnDataError([&](THidDevice&, uint32_t error) { errors.push_back(error); });
    ASSERT_TRUE(dev->IsReading());
    std::set<int> readers;
    std::set<int> after = taskIds();
    std::set_difference(after.begin(), after.end(), before.begin(), before.end(),
                        std::inserter(readers, readers.end()));
    ASSERT_EQ(readers.size(), 1u);
    const int reader = *readers.begin();

    const uint8_t status[8] = {0x04, 0x02, 0x01, 0xA4, 0x1F, 0x00, 0x00, 0x3D};
    size_t written = 0;
    ASSERT_TRUE(dev->WriteFile(status, sizeof status, written));
    EXPECT_EQ(written, sizeof status);
    ASSERT_TRUE(loop.runUntil([&] { return data.size() == 1; }, kernelWait));

    receiver.unplug();
    // Before any rescan: the handle opened for the write above now meets the gone device.
    EXPECT_FALSE(dev->WriteFile(status, sizeof status, written));
    ASSERT_TRUE(loop.runUntil([&] { return unplugs == 1 && !errors.empty(); }, kernelWait))
        << unplugs << " unplugs, " << errors.size() << " read errors";
    EXPECT_FALSE(dev->IsPluggedIn());

    TaskUsage start, end;
    ASSERT_TRUE(taskUsage(reader, start));
    loop.runFor(300ms);
    ASSERT_TRUE(taskUsage(reader, end));
    EXPECT_LE(end.switches - start.switches, 2u) << "the reader keeps waking up";
    EXPECT_LT(end.runNs - start.runNs, 5'000'000u) << "the reader keeps running";
    EXPECT_EQ(errors.size(), 1u) << "the gone device is reported once, not retried";
    EXPECT_EQ(unplugs, 1);
    EXPECT_FALSE(dev->WriteFile(status, sizeof status, written));

    chid.CheckIn(dev);
    EXPECT_EQ(taskIds(), before);
}

TEST_F(Plugging, TwoHundredPlugCyclesLeaveNothingBehindAndLoseNoEvent) {
    plugAndConnect();
    loop.runFor(100ms);
    const int descriptors = openDescriptors();
    const size_t threads = taskIds().size();
    std::set<std::string> instances{heldId()};

    constexpr int cycles = 200;
    for (int i = 0; i < cycles; ++i) {
        receiver.unplug();
        ASSERT_TRUE(waitHeld(false)) << "cycle " << i;
        ASSERT_TRUE(receiver.plug()) << receiver.error();
        ASSERT_TRUE(waitHeld(true)) << "cycle " << i;
        instances.insert(heldId());
    }
    loop.runFor(300ms);

    EXPECT_EQ(instances.size(), cycles + 1u);
    std::vector<bool> expected{true};
    for (int i = 0; i < cycles; ++i) expected.insert(expected.end(), {false, true});
    EXPECT_EQ(changes, expected);
    EXPECT_EQ(linesStartingWith("Dev on->"), cycles + 1);
    EXPECT_EQ(linesStartingWith("Dev out"), cycles);
    EXPECT_EQ(conn->chid.count(), 2);
    EXPECT_EQ(openDescriptors(), descriptors);
    EXPECT_EQ(taskIds().size(), threads);

    ASSERT_TRUE(conn->uSendA4(0x1F));
    ASSERT_TRUE(waitReceived(1));
}

}  // namespace
}  // namespace orvix::test
