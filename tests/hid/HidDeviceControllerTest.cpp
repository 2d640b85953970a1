#include <gtest/gtest.h>

#include "tests/hid/ControllerFixture.h"

namespace orvix::test {
namespace {

using Strings = std::vector<std::string>;

// A rescan scenario: devices present at start, then steps, each with the events it must raise
// and the list it must leave ("!" marks a device listed while gone).
struct Step {
    std::string action;  // "scan", "notify", "+X", "-X", "-X-Y" (both go, one notification), "hold X", "checkin"
    Strings events;
    Strings list;
};
struct Scenario {
    const char* name;
    std::vector<FakeInterface> initial;
    std::vector<Step> steps;
};

FakeInterface dev(const std::string& id) { return FakeInterface{id}; }

class RescanScenario : public ControllerFixture, public ::testing::WithParamInterface<Scenario> {};

TEST_P(RescanScenario, RaisesEventsAndKeepsTheListInOrder) {
    for (auto& iface : GetParam().initial) plug(iface.deviceId, iface);
    create();
    EXPECT_TRUE(listed().empty()) << "nothing is scanned before the loop runs";
    for (const Step& step : GetParam().steps) {
        log.clear();
        const std::string& a = step.action;
        if (a == "scan") {
        } else if (a == "notify") {
            fake->postChange();
        } else if (a[0] == '+') {
            plug(a.substr(1));
            fake->postChange();
        } else if (a[0] == '-') {
            for (size_t pos = 0; pos < a.size(); pos += 2) fake->unplug(a.substr(pos + 1, 1));
            fake->postChange();
        } else if (a.rfind("hold ", 0) == 0) {
            ASSERT_TRUE(chid->CheckOutByIndex(held, indexOf(a.substr(5))));
        } else if (a == "checkin") {
            chid->CheckIn(held);
        }
        settle();
        EXPECT_EQ(log, step.events) << "after " << a;
        EXPECT_EQ(listed(), step.list) << "after " << a;
    }
}

FakeInterface unopenable(const std::string& id) {
    FakeInterface f{id};
    f.openable = false;
    return f;
}
FakeInterface unidentifiable(const std::string& id) {
    FakeInterface f{id};
    f.identifiable = false;
    return f;
}

INSTANTIATE_TEST_SUITE_P(
    Controller, RescanScenario,
    ::testing::Values(
        Scenario{"FirstScanWithoutDevicesStillFires", {}, {{"scan", {"change"}, {}}}},
        Scenario{"FirstScanListsInPlatformOrder", {dev("A"), dev("B")}, {{"scan", {"change"}, {"A", "B"}}}},
        Scenario{"NotificationsWithoutChangeFireNothing",
                 {dev("A")},
                 {{"scan", {"change"}, {"A"}}, {"notify", {}, {"A"}}, {"notify", {}, {"A"}}}},
        Scenario{"NewDeviceIsAppended",
                 {dev("A"), dev("B")},
                 {{"scan", {"change"}, {"A", "B"}}, {"+C", {"change"}, {"A", "B", "C"}}}},
        Scenario{"GoneDeviceIsDeletedInPlace",
                 {dev("A"), dev("B"), dev("C")},
                 {{"scan", {"change"}, {"A", "B", "C"}}, {"-B", {"unplug B", "change"}, {"A", "C"}}}},
        Scenario{"UnplugsComeLastToFirstBeforeOneChange",
                 {dev("A"), dev("B"), dev("C")},
                 {{"scan", {"change"}, {"A", "B", "C"}}, {"-A-C", {"unplug C", "unplug A", "change"}, {"B"}}}},
        Scenario{"HeldDeviceStaysListedUntilCheckIn",
                 {dev("A"), dev("B"), dev("C")},
                 {{"scan", {"change"}, {"A", "B", "C"}},
                  {"hold B", {}, {"A", "B", "C"}},
                  {"-B", {"unplug B", "change"}, {"A", "B!", "C"}},
                  {"checkin", {}, {"A", "C"}}}},
        Scenario{"ReturningDeviceIsANewEntryBesideItsGoneSelf",
                 {dev("A"), dev("B")},
                 {{"scan", {"change"}, {"A", "B"}},
                  {"hold B", {}, {"A", "B"}},
                  {"-B", {"unplug B", "change"}, {"A", "B!"}},
                  {"+B", {"change"}, {"A", "B!", "B"}},
                  {"checkin", {}, {"A", "B"}}}},
        Scenario{"InterfacesThatCannotBeOpenedOrIdentifiedAreLeftOut",
                 {unopenable("A"), unidentifiable("B"), dev("C")},
                 {{"scan", {"change"}, {"C"}}}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ControllerFixture, NotificationDuringARescanIsDroppedAndTheNextOneScansFully) {
    auto events = recordingEvents();
    bool nested = false;
    events.OnDeviceChange = [&](THidDeviceController& c) {
        log.push_back("change");
        if (nested) return;
        nested = true;
        plug("B");
        c.notify(0);  // arrives while the rescan still runs
        EXPECT_TRUE(c.rescanning());
    };
    plug("A");
    create(events);
    settle();
    EXPECT_EQ(log, Strings{"change"});
    EXPECT_EQ(listed(), Strings{"A"});

    fake->postChange();
    settle();
    EXPECT_EQ(log, (Strings{"change", "change"}));
    EXPECT_EQ(listed(), (Strings{"A", "B"}));
}

TEST_F(ControllerFixture, UnplugHandlerThatChecksInLeavesAConsistentList) {
    auto events = recordingEvents();
    events.OnDeviceUnplug = [&](THidDevice& d) {
        log.push_back("unplug " + d.PnPInfo().DeviceID);
        if (held) chid->CheckIn(held);  // gives back whatever it holds, as the receiver connection does
    };
    for (auto id : {"A", "B", "C", "D"}) plug(id);
    create(events);
    settle();
    ASSERT_TRUE(chid->CheckOutByIndex(held, indexOf("C")));

    log.clear();
    fake->unplug("C");
    fake->unplug("B");
    fake->postChange();
    settle();
    EXPECT_EQ(log, (Strings{"unplug C", "unplug B", "change"}));
    EXPECT_EQ(listed(), (Strings{"A", "D"}));
    EXPECT_EQ(held, nullptr);
    EXPECT_EQ(fake->openReadHandles(), 0);
}

TEST_F(ControllerFixture, UnplugOfAnotherDeviceLetsTheHolderGiveBackAStillPresentDevice) {
    auto events = recordingEvents();
    events.OnDeviceUnplug = [&](THidDevice& d) {
        log.push_back("unplug " + d.PnPInfo().DeviceID);
        if (held) chid->CheckIn(held);
    };
    for (auto id : {"A", "B", "C"}) plug(id);
    create(events);
    settle();
    ASSERT_TRUE(chid->CheckOutByIndex(held, indexOf("A")));

    fake->unplug("C");
    fake->postChange();
    settle();
    EXPECT_EQ(listed(), (Strings{"A", "B"}));
    EXPECT_FALSE(chid->device(0)->IsCheckedOut());
}

struct EnumerateCase {
    const char* name;
    std::vector<int> answers;  // what the handler returns per offered device; empty: no handler
    Strings offered;
    int visited;
};

class EnumerateTest : public ControllerFixture, public ::testing::WithParamInterface<EnumerateCase> {};

TEST_P(EnumerateTest, OffersPluggedInDevicesUntilTheHandlerSaysStop) {
    for (auto id : {"A", "B", "G", "C", "D"}) plug(id);
    create();
    settle();
    // G is held and then goes: it stays listed, not plugged in.
    ASSERT_TRUE(chid->CheckOutByIndex(held, indexOf("G")));
    fake->unplug("G");
    fake->postChange();
    settle();
    ASSERT_EQ(listed(), (Strings{"A", "B", "G!", "C", "D"}));

    Strings offered;
    std::vector<int> indexes;
    const auto& answers = GetParam().answers;
    if (!answers.empty()) {
        chid->setOnEnumerate([&](THidDevice& d, int idx) {
            offered.push_back(d.PnPInfo().DeviceID);
            indexes.push_back(idx);
            return answers.at(offered.size() - 1) != 0;
        });
    }
    EXPECT_EQ(chid->Enumerate(), GetParam().visited);
    EXPECT_EQ(offered, GetParam().offered);
    for (size_t i = 0; i < offered.size(); ++i) EXPECT_EQ(indexes[i], indexOf(offered[i]));
    EXPECT_EQ(fake->openSyncHandles(), 0) << "handles are closed after each offer";
}

INSTANTIATE_TEST_SUITE_P(Controller, EnumerateTest,
                         ::testing::Values(EnumerateCase{"TrueFalseTrueStopsAtTheSecond", {1, 0, 1}, {"A", "B"}, 2},
                                           EnumerateCase{
                                               "AllTrueSkipsTheGoneDevice", {1, 1, 1, 1}, {"A", "B", "C", "D"}, 4},
                                           EnumerateCase{"FalseAtOnce", {0}, {"A"}, 1},
                                           EnumerateCase{"NoHandlerStopsAtTheFirst", {}, {}, 1}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ControllerFixture, CheckOutByIndexRefusesOutsideTheListAndHeldDevices) {
    plug("A");
    plug("B");
    create();
    settle();
    ASSERT_TRUE(chid->CheckOutByIndex(held, 1));
    EXPECT_TRUE(chid->device(1)->IsCheckedOut());

    for (int idx : {-1, 2, 1}) {
        THidDevice* other = chid->device(0);
        EXPECT_FALSE(chid->CheckOutByIndex(other, idx)) << idx;
        EXPECT_EQ(other, nullptr) << idx;
    }
}

TEST_F(ControllerFixture, CheckInOfNothingDoesNothing) {
    create();
    settle();
    THidDevice* none = nullptr;
    chid->CheckIn(none);
    EXPECT_EQ(none, nullptr);
}

TEST_F(ControllerFixture, WriteFileFailsAfterCheckInAndOnAGoneDevice) {
    plug("A");
    plug("B");
    create();
    settle();
    const uint8_t report[8] = {4, 2, 1, 0xA4, 0x1F, 0, 0, 0x3D};
    size_t written = 99;

    ASSERT_TRUE(chid->CheckOutByIndex(held, 0));
    THidDevice* a = held;
    EXPECT_TRUE(a->WriteFile(report, 8, written));
    EXPECT_EQ(written, 8u);
    EXPECT_EQ(fake->openSyncHandles(), 1) << "a held device keeps its handle";
    chid->CheckIn(held);
    EXPECT_FALSE(a->WriteFile(report, 8, written));
    EXPECT_EQ(written, 0u);
    EXPECT_EQ(fake->openSyncHandles(), 0);

    ASSERT_TRUE(chid->CheckOutByIndex(held, 1));
    fake->unplug("B");
    EXPECT_FALSE(held->WriteFile(report, 8, written)) << "gone, not yet rescanned";
    fake->postChange();
    settle();
    EXPECT_FALSE(held->WriteFile(report, 8, written)) << "gone and unplugged by the rescan";
    EXPECT_EQ(fake->writes("A").size(), 1u);
}

TEST_F(ControllerFixture, DeviceWithoutWriteAccessIsListedAndQueriedButNeitherReadNorWritten) {
    FakeInterface ro;
    ro.readWrite = false;
    plug("R", ro);
    create();
    settle();
    ASSERT_EQ(listed(), Strings{"R"});
    HidCaps caps{};
    chid->setOnEnumerate([&](THidDevice& d, int) {
        caps = d.Caps();
        return true;
    });
    chid->Enumerate();
    EXPECT_EQ(caps.InputReportByteLength, 8);
    EXPECT_EQ(caps.OutputReportByteLength, 8);
    EXPECT_EQ(chid->device(0)->Attributes().VendorID, 0x0E8F);

    ASSERT_TRUE(chid->CheckOutByIndex(held, 0));
    EXPECT_FALSE(held->HasReadWriteAccess());
    EXPECT_FALSE(held->IsReading());
    EXPECT_EQ(fake->openReadHandles(), 0);
    const uint8_t report[8] = {4};
    size_t written = 0;
    EXPECT_FALSE(held->WriteFile(report, 8, written));
}

// A node udev is still handing to the user refuses writing for a moment. Only the device taken
// waits for that permission: a scan over devices this user may never write to (keyboards, other
// makers' receivers) must not wait on each of them, on the window's thread.
TEST_F(ControllerFixture, OnlyTheTakenDeviceWaitsForWritePermission) {
    FakeInterface unwritable;
    unwritable.readWrite = false;
    FakeInterface young = unwritable;
    young.grantedOnWait = true;
    plug("K1", unwritable);
    plug("K2", unwritable);
    plug("R", young);
    plug("K3", unwritable);
    create();
    settle();
    ASSERT_EQ(listed(), (Strings{"K1", "K2", "R", "K3"}));
    chid->setOnEnumerate([&](THidDevice& d, int idx) {
        d.Caps();  // as a matching rule does
        if (d.PnPInfo().DeviceID != "R") return true;
        EXPECT_FALSE(d.HasReadWriteAccess()) << "not waited for while enumerating";
        EXPECT_TRUE(chid->CheckOutByIndex(held, idx));
        return false;
    });
    chid->Enumerate();
    EXPECT_EQ(fake->waitedOpens(), Strings{"R"});
    ASSERT_TRUE(held);
    EXPECT_TRUE(held->HasReadWriteAccess());
    EXPECT_TRUE(held->IsReading());
    const uint8_t report[8] = {4};
    size_t written = 0;
    EXPECT_TRUE(held->WriteFile(report, 8, written));
    EXPECT_EQ(fake->writes("R").size(), 1u);
}

TEST_F(ControllerFixture, CapsReadAsZeroOutsideAccessAndAreKeptOnceFetched) {
    plug("A");
    create();
    settle();
    THidDevice* a = chid->device(0);
    EXPECT_EQ(a->Caps().InputReportByteLength, 0) << "neither held nor being enumerated";
    ASSERT_TRUE(chid->CheckOutByIndex(held, 0));
    EXPECT_EQ(a->Caps().InputReportByteLength, 8);
    chid->CheckIn(held);
    EXPECT_EQ(a->Caps().OutputReportByteLength, 8) << "the preparsed data stays with the device";
}

TEST_F(ControllerFixture, ReaderRunsOnlyForAHeldDeviceWithADataHandler) {
    plug("A");
    auto events = recordingEvents();
    events.OnDeviceData = {};
    create(events);
    settle();
    ASSERT_TRUE(chid->CheckOutByIndex(held, 0));
    EXPECT_FALSE(held->IsReading()) << "no data handler yet";
    held->setOnData([](THidDevice&, uint8_t, const uint8_t*, uint16_t) {});
    EXPECT_TRUE(held->IsReading());
    held->setOnData({});
    EXPECT_FALSE(held->IsReading());
    EXPECT_EQ(fake->openReadHandles(), 0);
}

TEST_F(ControllerFixture, ChangingADefaultHandlerReplacesItOnlyWhereTheOldDefaultStands) {
    plug("A");
    plug("B");
    create();
    settle();
    THidDataEvent own = [](THidDevice&, uint8_t, const uint8_t*, uint16_t) {};
    chid->device(1)->setOnData(own);
    THidDataEvent next = [](THidDevice&, uint8_t, const uint8_t*, uint16_t) {};
    chid->setOnDeviceData(next);
    EXPECT_TRUE(chid->device(0)->OnData() == next);
    EXPECT_TRUE(chid->device(1)->OnData() == own);

    THidUnplugEvent unplugNext = [](THidDevice&) {};
    chid->setOnDeviceUnplug(unplugNext);
    EXPECT_TRUE(chid->device(0)->OnUnplug() == unplugNext);
    EXPECT_TRUE(chid->device(1)->OnUnplug() == unplugNext);

    chid->setDevThreadSleepTime(250);
    chid->device(0)->setThreadSleepTime(40);
    chid->setDevThreadSleepTime(300);
    EXPECT_EQ(chid->device(0)->ThreadSleepTime(), 40u);
    EXPECT_EQ(chid->device(1)->ThreadSleepTime(), 300u);
}

TEST_F(ControllerFixture, ADifferentDeviceChangeHandlerRescansAtOnce) {
    plug("A");
    create();
    settle();
    plug("B");
    int calls = 0;
    chid->setOnDeviceChange([&](THidDeviceController&) { ++calls; });
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(listed(), (Strings{"A", "B"}));
}

TEST_F(ControllerFixture, UnusablePlatformNeverScansNorRaises) {
    plug("A");
    create();
    fake->setUsable(false);
    settle();
    fake->postChange();
    settle();
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(chid->count(), 0);
}

TEST_F(ControllerFixture, DestroyingTheControllerUnplugsTheHeldDevice) {
    auto events = recordingEvents();
    events.OnDeviceUnplug = {};
    plug("A");
    plug("B");
    create(events);
    settle();
    ASSERT_TRUE(chid->CheckOutByIndex(held, 1));
    THidDeviceController* owner = chid.get();  // the unique_ptr is already empty while it deletes
    held->setOnUnplug([&](THidDevice& d) {
        log.push_back("unplug " + d.PnPInfo().DeviceID);
        owner->CheckIn(held);
    });
    log.clear();
    chid.reset();
    EXPECT_EQ(log, Strings{"unplug B"});
    EXPECT_EQ(held, nullptr);
}

TEST_F(ControllerFixture, NotificationsAfterDestructionAreIgnored) {
    plug("A");
    create();
    fake->postChange();  // still queued when the controller goes
    chid.reset();
    EXPECT_NO_FATAL_FAILURE(settle());
    EXPECT_TRUE(log.empty());
}

}  // namespace
}  // namespace orvix::test
