// The simulated platform through the device port: listing, opening, writing, reading, device-set
// changes and their notifications, and ending.

#include <thread>

#include "tests/hid/sim/SimFixture.h"

namespace orvix::test {
namespace {

struct Identity {
    HidAttributes attributes;
    HidCaps caps;
};

Identity identify(HidPlatform& platform, const std::string& path, HidAccess access = HidAccess::QueryOnly) {
    Identity id;
    uint32_t error = 0;
    auto h = platform.openSync(path, access, error);
    EXPECT_TRUE(h) << path;
    if (!h) return id;
    EXPECT_TRUE(h->getAttributes(id.attributes));
    auto preparsed = h->getPreparsedData();
    EXPECT_TRUE(preparsed && preparsed->getCaps(id.caps));
    return id;
}

class Interfaces : public SimTest {};

TEST_F(Interfaces, TheBootMouseThenTheConfigurationInterfaceWithLengthsFromTheirDescriptors) {
    make();
    auto entries = sim->scanInterfaces();
    ASSERT_EQ(entries.size(), 2u);
    struct Want {
        uint16_t usagePage, usage, in, out;
    } want[] = {{0x01, 0x02, 4, 0}, {0xFF00, 0x01, 8, 8}};
    for (size_t i = 0; i < entries.size(); ++i) {
        SCOPED_TRACE(entries[i].DevicePath);
        for (HidAccess access : {HidAccess::QueryOnly, HidAccess::ReadWrite}) {
            Identity id = identify(*sim, entries[i].DevicePath, access);
            EXPECT_EQ(id.attributes.VendorID, 0x0E8F);
            EXPECT_EQ(id.attributes.ProductID, 0x00A6);
            EXPECT_EQ(id.attributes.VersionNumber, 0x0100);
            EXPECT_EQ(id.caps.UsagePage, want[i].usagePage);
            EXPECT_EQ(id.caps.Usage, want[i].usage);
            EXPECT_EQ(id.caps.InputReportByteLength, want[i].in);
            EXPECT_EQ(id.caps.OutputReportByteLength, want[i].out);
        }
    }
    // The descriptors are the shared ones, parsed by the same code as a real device's.
    uint32_t error = 0;
    auto h = sim->openSync(entries[1].DevicePath, HidAccess::QueryOnly, error);
    auto preparsed = h->getPreparsedData();
    auto* descriptor = dynamic_cast<DescriptorPreparsedData*>(preparsed.get());
    ASSERT_TRUE(descriptor);
    EXPECT_EQ(descriptor->descriptor(), receiverConfigDescriptor());
    EXPECT_TRUE(descriptor->usesReportIds());
}

// The shared layout: one device of three top-level collections beside the boot mouse, listed as
// Windows and the Linux backend list them, one interface per collection.
TEST_F(Interfaces, SharedLayoutListsTheMouseAndOneInterfacePerCollectionOfTheSharedDevice) {
    makeShared();
    auto entries = sim->scanInterfaces();
    ASSERT_EQ(entries.size(), 4u);
    struct Want {
        const char* deviceId;
        uint16_t usagePage, usage, in, out;
    } want[] = {{"sim-0003:0E8F:00A6.0001", 0x01, 0x02, 4, 0},
                {"sim-0003:0E8F:00A6.0002&col01", 0x01, 0x06, 9, 2},
                {"sim-0003:0E8F:00A6.0002&col02", 0x0C, 0x01, 3, 0},
                {"sim-0003:0E8F:00A6.0002&col03", 0xFF00, 0x01, 8, 8}};
    for (size_t i = 0; i < entries.size(); ++i) {
        SCOPED_TRACE(entries[i].DevicePath);
        EXPECT_EQ(entries[i].DeviceID, want[i].deviceId);
        Identity id = identify(*sim, entries[i].DevicePath);
        EXPECT_EQ(id.attributes.VendorID, 0x0E8F);
        EXPECT_EQ(id.attributes.ProductID, 0x00A6);
        EXPECT_EQ(id.caps.UsagePage, want[i].usagePage);
        EXPECT_EQ(id.caps.Usage, want[i].usage);
        EXPECT_EQ(id.caps.InputReportByteLength, want[i].in);
        EXPECT_EQ(id.caps.OutputReportByteLength, want[i].out);
    }
    EXPECT_EQ(entries[3].DevicePath, "sim:0003:0E8F:00A6.0002&col03");
    // The shared device itself is no interface, nor is a collection it does not have.
    for (const char* path :
         {"sim:0003:0E8F:00A6.0002", "sim:0003:0E8F:00A6.0002&col04", "sim:0003:0E8F:00A6.0001&col01"}) {
        uint32_t error = 0;
        EXPECT_EQ(sim->openSync(path, HidAccess::QueryOnly, error), nullptr) << path;
    }
}

TEST(SimLayoutName, KnownNamesAndTheMessageForOthers) {
    EXPECT_EQ(parseSimLayout(""), SimLayout::Default);
    EXPECT_EQ(parseSimLayout("default"), SimLayout::Default);
    EXPECT_EQ(parseSimLayout("shared"), SimLayout::Shared);
    for (const char* name : {"Shared", "shared ", "share", "separate"}) {
        SCOPED_TRACE(name);
        EXPECT_FALSE(parseSimLayout(name));
        EXPECT_EQ(simLayoutProblem(name), "ORVIX_SIM_LAYOUT \"" + std::string(name) +
                                              "\" is not a known layout; the known layouts are \"default\" and "
                                              "\"shared\"");
    }
    EXPECT_EQ(simLayoutProblem("shared"), "");
    EXPECT_EQ(simLayoutProblem(""), "");
}

TEST_F(Interfaces, NamedLikeSysfsHidDevicesButNoRealPathOrIdentity) {
    make();
    auto entries = sim->scanInterfaces();
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].DeviceID, "sim-0003:0E8F:00A6.0001");
    EXPECT_EQ(entries[1].DeviceID, "sim-0003:0E8F:00A6.0002");
    for (auto& e : entries) {
        EXPECT_EQ(e.DevicePath.rfind("sim:", 0), 0u) << e.DevicePath;
        EXPECT_EQ(e.DevicePath.find("/dev/"), std::string::npos);
        EXPECT_EQ(e.DevicePath.find("\\\\?\\"), std::string::npos);
    }
    EXPECT_NE(entries[0].DevicePath, entries[1].DevicePath);
}

TEST_F(Interfaces, OpeningAPathNotPresentFailsWithACode) {
    make();
    std::string gone = configPath();
    sim->command("unplug");
    for (const std::string& path : {std::string("sim:nothing"), std::string("/dev/hidraw0"), gone}) {
        SCOPED_TRACE(path);
        uint32_t error = 0;
        EXPECT_EQ(sim->openSync(path, HidAccess::QueryOnly, error), nullptr);
        EXPECT_NE(error, 0u);
        error = 0;
        EXPECT_EQ(sim->openRead(path, error), nullptr);
        EXPECT_NE(error, 0u);
    }
}

// Writes the receiver never sees: each fails and leaves no trace.
struct RefusedWrite {
    const char* name;
    int interfaceIndex;
    HidAccess access;
    Bytes report;
};

void PrintTo(const RefusedWrite& c, std::ostream* os) { *os << c.name; }

class RefusedWrites : public SimTest, public ::testing::WithParamInterface<RefusedWrite> {};

TEST_P(RefusedWrites, FailWithoutATrace) {
    make();
    const RefusedWrite& c = GetParam();
    uint32_t error = 0;
    auto h = sim->openSync(sim->scanInterfaces()[static_cast<size_t>(c.interfaceIndex)].DevicePath, c.access, error);
    ASSERT_TRUE(h);
    size_t written = 99;
    EXPECT_FALSE(h->write(c.report.data(), c.report.size(), written));
    EXPECT_EQ(written, 0u);
    EXPECT_TRUE(sim->record().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Table, RefusedWrites,
    ::testing::Values(RefusedWrite{"QueryOnlyHandle", 1, HidAccess::QueryOnly, a4(0x1F)},
                      RefusedWrite{"BootMouseHasNoOutputReport", 0, HidAccess::ReadWrite, a4(0x1F)},
                      RefusedWrite{"ShortReport", 1, HidAccess::ReadWrite, Bytes{0x04, 0x02, 0x01}},
                      RefusedWrite{"LongReport", 1, HidAccess::ReadWrite, Bytes(9, 0x04)},
                      RefusedWrite{"Empty", 1, HidAccess::ReadWrite, Bytes{}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Interfaces, HandlesOfAnInterfaceThatHasGoneFail) {
    make();
    auto writer = openConfig();
    ASSERT_TRUE(writer);
    sim->command("unplug");
    sim->command("plug");
    EXPECT_FALSE(write(*writer, a4(0x1F))) << "the old instance's handle, even with the receiver back";
    HidAttributes attributes;
    EXPECT_FALSE(writer->getAttributes(attributes));
    EXPECT_EQ(writer->getPreparsedData(), nullptr);
    EXPECT_TRUE(sim->record().empty());
}

class Reads : public SimTest {};

TEST_F(Reads, ReportsStartWithTheirReportId) {
    make();
    auto reader = readConfig();
    auto writer = openConfig();
    ASSERT_TRUE(reader && writer);
    ASSERT_TRUE(write(*writer, a4(0x1F)));
    PendingRead read(*reader, 64);
    auto result = read.wait();
    ASSERT_TRUE(result);
    EXPECT_EQ(result->kind, HidReadResult::Data);
    EXPECT_EQ(result->bytes, 8u);
    EXPECT_EQ(read.bytes(), linkedReport);
}

TEST_F(Reads, ABlockedReadEndsOnStopAndSoDoesEveryLaterOne) {
    make();
    uint32_t error = 0;
    auto mouse = sim->openRead(sim->scanInterfaces()[0].DevicePath, error);
    ASSERT_TRUE(mouse);
    PendingRead read(*mouse);
    EXPECT_FALSE(read.wait(50ms)) << "the boot mouse sends nothing";
    mouse->stop();
    auto result = read.wait();
    ASSERT_TRUE(result);
    EXPECT_EQ(result->kind, HidReadResult::Stopped);
    EXPECT_EQ(kindOf(readOnce(*mouse)), HidReadResult::Stopped);
}

TEST_F(Reads, StopBeforeTheReadStillEndsIt) {
    make();
    auto reader = readConfig();
    ASSERT_TRUE(reader);
    reader->stop();
    PendingRead read(*reader);
    auto result = read.wait();
    ASSERT_TRUE(result);
    EXPECT_EQ(result->kind, HidReadResult::Stopped);
}

TEST_F(Reads, UnplugEndsABlockedReadWithGoneForGood) {
    make();
    auto reader = readConfig();
    ASSERT_TRUE(reader);
    PendingRead read(*reader);
    EXPECT_FALSE(read.wait(20ms));
    sim->command("unplug");
    auto result = read.wait();
    ASSERT_TRUE(result);
    EXPECT_EQ(result->kind, HidReadResult::Gone);
    sim->command("plug");
    EXPECT_EQ(kindOf(readOnce(*reader)), HidReadResult::Gone);
    reader->stop();
    EXPECT_EQ(kindOf(readOnce(*reader)), HidReadResult::Stopped);
}

TEST_F(Reads, AReportThatArrivedBeforeTheUnplugIsReadFirst) {
    make();
    auto reader = readConfig();
    ASSERT_TRUE(reader);
    sim->command("unlink");
    sim->command("unplug");
    EXPECT_EQ(next(*reader), unlinkedReport);
    EXPECT_EQ(kindOf(readOnce(*reader)), HidReadResult::Gone);
}

TEST_F(Reads, EachReaderGetsEachReportAndNoneFromBeforeItOpened) {
    make();
    auto early = readConfig();
    ASSERT_TRUE(early);
    sim->command("unlink");
    auto late = readConfig();
    ASSERT_TRUE(late);
    sim->command("link");
    EXPECT_EQ(next(*early), unlinkedReport);
    EXPECT_EQ(next(*early), linkedReport);
    EXPECT_EQ(next(*late), linkedReport);
}

// Each collection of the shared device reads its own reports: the receiver's answers reach the
// configuration collection's readers and no other collection's, and writes through another
// collection never reach the receiver.
TEST_F(Reads, SharedLayoutRoutesTheReceiversReportsToItsConfigurationCollectionOnly) {
    makeShared();
    auto entries = sim->scanInterfaces();
    ASSERT_EQ(entries.size(), 4u);
    uint32_t error = 0;
    auto keyboard = sim->openRead(entries[1].DevicePath, error);
    auto consumer = sim->openRead(entries[2].DevicePath, error);
    auto config = sim->openRead(entries[3].DevicePath, error);
    auto config2 = sim->openRead(entries[3].DevicePath, error);
    auto keyboardWriter = sim->openSync(entries[1].DevicePath, HidAccess::ReadWrite, error);
    ASSERT_TRUE(keyboard && consumer && config && config2 && keyboardWriter);

    EXPECT_TRUE(write(*keyboardWriter, {0x01, 0x02})) << "the keyboard's LED report";
    EXPECT_FALSE(write(*keyboardWriter, a4(0x1F))) << "not a report of the keyboard's length";
    EXPECT_TRUE(sim->record().empty());

    auto writer = openConfig();
    ASSERT_TRUE(writer);
    ASSERT_TRUE(write(*writer, a4(0x1F)));
    ASSERT_TRUE(write(*writer, a4(0x02, 0x40, 0x00)));
    EXPECT_EQ(next(*config), linkedReport);
    EXPECT_EQ(next(*config), ack(0x02));
    EXPECT_EQ(next(*config2), linkedReport) << "a second reader of the collection has its own copy";
    EXPECT_EQ(next(*config2), ack(0x02));
    EXPECT_FALSE(next(*keyboard, 50ms));
    EXPECT_FALSE(next(*consumer, 20ms));
    EXPECT_EQ(sim->record(), (Strings{"OUT 04 02 01 A4 1F 00 00 3D", "IN 04 80 00 00 00 00 00 00",
                                      "OUT 04 02 01 A4 02 40 00 1A", "IN 04 89 00 02 00 00 00 00"}));
}

TEST_F(Reads, PauseEndsOnStop) {
    make();
    auto reader = readConfig();
    ASSERT_TRUE(reader);
    auto paused = std::async(std::launch::async, [&] { reader->pause(60000); });
    EXPECT_EQ(paused.wait_for(20ms), std::future_status::timeout);
    reader->stop();
    EXPECT_EQ(paused.wait_for(5s), std::future_status::ready);
    reader->pause(60000);  // returns at once once stopped
}

TEST_F(Reads, PauseWaitsItsTime) {
    make();
    auto reader = readConfig();
    ASSERT_TRUE(reader);
    auto start = std::chrono::steady_clock::now();
    reader->pause(50);
    EXPECT_GE(std::chrono::steady_clock::now() - start, 50ms);
}

class DeviceSet : public SimTest {};

TEST_F(DeviceSet, TheFirstNotificationIsTheStartUpScan) {
    make();
    ASSERT_TRUE(notified(1));
    loop.processPending();
    EXPECT_EQ(triggers, std::vector<int32_t>{-1});
}

TEST_F(DeviceSet, UnplugAndPlugAreOneChangeEachAndThePlugIsANewInstance) {
    make();
    ASSERT_TRUE(notified(1));
    auto before = sim->scanInterfaces();
    sim->command("unplug");
    EXPECT_TRUE(sim->scanInterfaces().empty());
    ASSERT_TRUE(notified(2));
    sim->command("unplug");  // nothing left to go: no change
    sim->command("plug");
    ASSERT_TRUE(notified(3));
    sim->command("plug");  // already there: no change
    loop.runFor(20ms);
    EXPECT_EQ(triggers, (std::vector<int32_t>{-1, 0, 0}));

    auto after = sim->scanInterfaces();
    ASSERT_EQ(after.size(), 2u);
    EXPECT_EQ(after[0].DeviceID, "sim-0003:0E8F:00A6.0003");
    EXPECT_EQ(after[1].DeviceID, "sim-0003:0E8F:00A6.0004");
    for (size_t i = 0; i < 2; ++i) {
        EXPECT_NE(after[i].DevicePath, before[i].DevicePath);
        EXPECT_EQ(identify(*sim, after[i].DevicePath).caps.OutputReportByteLength, i == 0 ? 0 : 8);
    }
}

TEST_F(DeviceSet, AnotherDeviceComesAndGoesAsTwoChanges) {
    make();
    ASSERT_TRUE(notified(1));
    std::vector<size_t> seen;  // interfaces listed by each notification
    sim->startNotifications([&](int32_t trigger) {
        triggers.push_back(trigger);
        seen.push_back(sim->scanInterfaces().size());
    });
    ASSERT_TRUE(notified(2));  // the new start's own -1
    sim->command("unplug-other");
    ASSERT_TRUE(notified(4));
    loop.runFor(20ms);
    EXPECT_EQ(triggers, (std::vector<int32_t>{-1, -1, 0, 0}));
    EXPECT_EQ(seen, (std::vector<size_t>{2, 3, 2})) << "the rescan of the first change sees it";

    // While it was there it was a keyboard of another make.
    sim->command("unplug-other");
    auto entries = sim->scanInterfaces();
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[2].DeviceID, "sim-0003:045E:0750.0004");
    Identity keyboard = identify(*sim, entries[2].DevicePath);
    EXPECT_EQ(keyboard.attributes.VendorID, 0x045E);
    EXPECT_EQ(keyboard.attributes.ProductID, 0x0750);
    EXPECT_EQ(keyboard.caps.UsagePage, 0x01);
    EXPECT_EQ(keyboard.caps.Usage, 0x06);
    EXPECT_EQ(keyboard.caps.InputReportByteLength, 9);
    EXPECT_EQ(keyboard.caps.OutputReportByteLength, 2);
    EXPECT_EQ(sim->scanInterfaces()[1].DeviceID, "sim-0003:0E8F:00A6.0002") << "the receiver stays";
}

TEST_F(DeviceSet, NoNotificationAfterStopNotifications) {
    make();
    sim->command("unplug");
    sim->command("plug");
    sim->command("unplug-other");
    sim->stopNotifications();
    loop.runFor(30ms);
    EXPECT_TRUE(triggers.empty()) << "not even the calls already posted";
    EXPECT_EQ(sim->scanInterfaces().size(), 2u) << "the other device has still gone";
}

TEST_F(DeviceSet, StopNotificationsFromInsideNotifyEndsThemThere) {
    make();
    sim->startNotifications([&](int32_t trigger) {
        triggers.push_back(trigger);
        sim->stopNotifications();
    });
    sim->command("unplug-other");
    loop.runFor(30ms);
    EXPECT_EQ(triggers, std::vector<int32_t>{-1});
}

TEST_F(DeviceSet, NoNotificationAfterThePlatformHasGone) {
    make();
    sim->command("unplug");
    sim->command("unplug-other");
    sim.reset();
    loop.runFor(30ms);
    EXPECT_TRUE(triggers.empty());
}

TEST_F(DeviceSet, CommandsFromAnotherThreadNotifyOnTheLoopThread) {
    make();
    ASSERT_TRUE(notified(1));
    std::thread::id loopThread = std::this_thread::get_id(), notifiedOn;
    sim->startNotifications([&](int32_t trigger) {
        triggers.push_back(trigger);
        notifiedOn = std::this_thread::get_id();
    });
    std::thread([&] { sim->command("unplug"); }).join();
    ASSERT_TRUE(notified(3));
    EXPECT_EQ(notifiedOn, loopThread);
}

TEST_F(DeviceSet, SharedLayoutUnplugsAndPlugsBothDevicesAsNewInstances) {
    makeShared();
    ASSERT_TRUE(notified(1));
    auto reader = readConfig();
    ASSERT_TRUE(reader);
    sim->command("unplug");
    EXPECT_TRUE(sim->scanInterfaces().empty());
    EXPECT_EQ(kindOf(readOnce(*reader)), HidReadResult::Gone);
    sim->command("plug");
    ASSERT_TRUE(notified(3));
    auto after = sim->scanInterfaces();
    ASSERT_EQ(after.size(), 4u);
    EXPECT_EQ(after[0].DeviceID, "sim-0003:0E8F:00A6.0003");
    EXPECT_EQ(after[3].DeviceID, "sim-0003:0E8F:00A6.0004&col03");
}

class Ending : public SimTest {};

TEST_F(Ending, DestroyingThePlatformEndsBlockedReadsAndHandlesOutliveIt) {
    make();
    auto reader = readConfig();
    auto writer = openConfig();
    ASSERT_TRUE(reader && writer);
    PendingRead read(*reader);
    EXPECT_FALSE(read.wait(20ms));
    auto destroyed = std::async(std::launch::async, [&] { sim.reset(); });
    ASSERT_EQ(destroyed.wait_for(5s), std::future_status::ready);
    auto result = read.wait();
    ASSERT_TRUE(result);
    EXPECT_EQ(result->kind, HidReadResult::Gone);
    EXPECT_FALSE(write(*writer, a4(0x1F)));
}

}  // namespace
}  // namespace orvix::test
