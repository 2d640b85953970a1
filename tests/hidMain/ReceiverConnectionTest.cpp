#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "hid/sim/SimHidPlatform.h"
#include "tests/hidMain/ConnectionFixture.h"

namespace orvix::test {
namespace {

using Strings = std::vector<std::string>;

struct MatchCase {
    const char* name;
    uint16_t vendor, product, input, output;
    uint16_t vid, pid;  // configured identity
    bool taken;
};

class Matching : public ConnectionFixture, public ::testing::WithParamInterface<MatchCase> {};

TEST_P(Matching, TakesOnlyTheConfigurationInterfaceOfTheFamilyOrTheConfiguredIdentity) {
    const MatchCase& c = GetParam();
    FakeInterface iface = receiver("X", c.vendor, c.product);
    iface.inputLength = c.input;
    iface.outputLength = c.output;
    create({iface}, c.vid, c.pid);
    settle();
    EXPECT_EQ(conn->devOn(), c.taken);
    EXPECT_EQ(changes, c.taken ? std::vector<bool>{true} : std::vector<bool>{});
}

constexpr uint16_t V = 0x0E8F, P = 0x00A6;
INSTANTIATE_TEST_SUITE_P(
    Connection, Matching,
    ::testing::Values(MatchCase{"Family00A4NotTaken", V, 0x00A4, 8, 8, V, P, false},
                      MatchCase{"Family00A5", V, 0x00A5, 8, 8, V, P, true},
                      MatchCase{"Family00A6", V, 0x00A6, 8, 8, V, P, true},
                      MatchCase{"Family00FF", V, 0x00FF, 8, 8, V, P, true},
                      MatchCase{"Family00A4WhenConfigured", V, 0x00A4, 8, 8, V, 0x00A4, true},
                      MatchCase{"ConfiguredIdentity", 0x1234, 0x0001, 8, 8, 0x1234, 0x0001, true},
                      MatchCase{"ConfiguredVendorOtherProduct", 0x1234, 0x0002, 8, 8, 0x1234, 0x0001, false},
                      MatchCase{"FamilyStillTakenBesideConfigured", V, P, 8, 8, 0x1234, 0x0001, true},
                      MatchCase{"OutputOfNineSkipped", V, P, 8, 9, V, P, false},
                      MatchCase{"NoOutputSkipped", V, P, 8, 0, V, P, false},
                      MatchCase{"BootMouseLengthsSkipped", V, P, 4, 0, V, P, false}),
    [](const auto& info) { return std::string(info.param.name); });

// A receiver whose configuration collection shares its device with a keyboard and a consumer
// control: of the four interfaces listed, the configuration collection's is taken, and the
// receiver's answers reach the owner through it.
TEST(SharedReceiver, TheConfigurationCollectionIsTakenNotTheKeyboardOrConsumerBesideIt) {
    TestLoop loop;
    RecordingConsole console;
    SimOptions options;
    options.layout = SimLayout::Shared;
    ReceiverConnection conn(std::make_unique<SimHidPlatform>(loop, options), loop, console);
    std::vector<TByteDynArray> received;
    conn.setOnDevDataIn([&](const TByteDynArray& d) { received.push_back(d); });
    ASSERT_TRUE(loop.runUntil([&] { return conn.devOn(); }));

    ASSERT_EQ(conn.chid.count(), 4);
    EXPECT_EQ(conn.heldDevice(), conn.chid.device(3));
    EXPECT_EQ(conn.heldDevice()->PnPInfo().DeviceID, "sim-0003:0E8F:00A6.0002&col03");
    for (int i = 0; i < 3; ++i) EXPECT_FALSE(conn.chid.device(i)->IsCheckedOut()) << i;
    EXPECT_EQ(console.lines, Strings{"Dev on-> V: E8F P:  A6 N: 100"});

    ASSERT_TRUE(conn.uSendA4(0x1F));
    ASSERT_TRUE(loop.runUntil([&] { return !received.empty(); }));
    EXPECT_EQ(received, (std::vector<TByteDynArray>{{0x80, 0, 0, 0, 0, 0, 0}}));
}

TEST_F(ConnectionFixture, NothingIsTakenBeforeTheLoopRuns) {
    create({receiver("R")});
    EXPECT_FALSE(conn->devOn());
    settle();
    EXPECT_EQ(heldId(), "R");
    EXPECT_EQ(console.caption, "Dev On");
    EXPECT_EQ(console.lines, Strings{"Dev on-> V: E8F P:  A6 N: 100"});
}

TEST_F(ConnectionFixture, OfTwoReceiversTheEarlierIsTakenAndTheOtherOnlyAfterItGoes) {
    create({receiver("A"), receiver("B", 0x0E8F, 0x00B0)});
    settle();
    EXPECT_EQ(heldId(), "A");
    fake->unplug("A");
    fake->postChange();
    settle();
    EXPECT_EQ(heldId(), "B");
    EXPECT_EQ(changes, (std::vector<bool>{true, false, true}));
    EXPECT_EQ(console.lines, (Strings{"Dev on-> V: E8F P:  A6 N: 100", "Dev out", "Dev on-> V: E8F P:  B0 N: 100"}));
}

TEST_F(ConnectionFixture, ASecondReceiverPluggedInLaterIsNotTaken) {
    create({receiver("A")});
    settle();
    fake->plug(receiver("B"));
    fake->postChange();
    settle();
    EXPECT_EQ(heldId(), "A");
    EXPECT_EQ(changes, std::vector<bool>{true});
}

TEST_F(ConnectionFixture, AnotherDeviceGoingReleasesAndRetakesTheReceiver) {
    FakeInterface keyboard = receiver("K", 0x046D, 0xC31C);
    create({receiver("R"), keyboard});
    settle();
    console.lines.clear();
    fake->unplug("K");
    fake->postChange();
    settle();
    EXPECT_EQ(changes, (std::vector<bool>{true, false, true}));
    EXPECT_EQ(console.lines, (Strings{"Dev out", "Dev on-> V: E8F P:  A6 N: 100"}));
    EXPECT_EQ(console.caption, "Dev On");
    EXPECT_EQ(heldId(), "R");
}

TEST_F(ConnectionFixture, HeldReceiverUnpluggedIsReleasedOnceAndDeliversNothingMore) {
    create({receiver("R")});
    settle();
    fake->pushReport("R", {4, 1, 2, 3, 4, 5, 6, 7});
    ASSERT_TRUE(loop.runUntil([&] { return received.size() == 1; }));
    console.lines.clear();

    fake->pushReport("R", {4, 9, 9, 9, 9, 9, 9, 9});
    fake->unplug("R");
    fake->postChange();
    loop.runFor(std::chrono::milliseconds(30));
    EXPECT_EQ(changes, (std::vector<bool>{true, false}));
    EXPECT_EQ(console.caption, "---");
    EXPECT_FALSE(conn->devOn());
    // A report the reader had already read may still come before the release, never after it.
    ASSERT_FALSE(console.lines.empty());
    EXPECT_EQ(console.lines.back(), "Dev out");
    EXPECT_EQ(std::count(console.lines.begin(), console.lines.end(), "Dev out"), 1);
    size_t afterRelease = received.size();
    fake->pushReport("R", {4, 8, 8, 8, 8, 8, 8, 8});
    loop.runFor(std::chrono::milliseconds(20));
    EXPECT_EQ(received.size(), afterRelease);
}

// A report the reader had passed on before the release is handed over while the reader stops:
// the receiver is still held then, so the owner's handler sees it held and may still write.
TEST_F(ConnectionFixture, ReportHandedOverDuringTheReleaseFindsTheReceiverStillHeld) {
    create({receiver("R")});
    settle();
    Strings events;
    conn->setOnDevDataIn([&](const TByteDynArray&) {
        events.push_back(std::string("data: held ") + (conn->devOn() ? "yes" : "no") + ", write " +
                         (conn->uSendA4(0x1F) ? "sent" : "failed"));
    });
    conn->setOnDevChange([&](bool on) { events.push_back(on ? "gained" : "lost"); });
    fake->pushReport("R", {4, 0x80, 0, 0, 0, 0, 0, 0});
    // Without running the loop: the reader has read the report and waits for its hand-over.
    for (int i = 0; i < 500 && fake->queued("R") > 0; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(2));
    ASSERT_EQ(fake->queued("R"), 0u);
    conn->chidDeviceUnplug(*conn->heldDevice());  // as the unplug of any listed device does
    EXPECT_EQ(events, (Strings{"data: held yes, write sent", "lost"}));
    EXPECT_EQ(fake->writes("R"), (std::vector<std::vector<uint8_t>>{{0x04, 0x02, 0x01, 0xA4, 0x1F, 0x00, 0x00, 0x3D}}));
    EXPECT_EQ(console.lines.back(), "Dev out");
}

TEST_F(ConnectionFixture, InputReportGivesSevenBytesWithoutTheReportIdAndALogLine) {
    create({receiver("R")});
    settle();
    console.lines.clear();
    fake->pushReport("R", {4, 1, 2, 3, 4, 5, 6, 7});
    ASSERT_TRUE(loop.runUntil([&] { return !received.empty(); }));
    EXPECT_EQ(received[0], (TByteDynArray{1, 2, 3, 4, 5, 6, 7}));
    EXPECT_EQ(console.lines, Strings{"R: 01 02 03 04 05 06 07 "});
}

TEST_F(ConnectionFixture, ConsoleLinesAppearOnlyWhileItShowsAndEarlierOnesStay) {
    create({receiver("R"), receiver("K", 0x046D, 0xC31C)});
    settle();
    ASSERT_EQ(console.lines.size(), 1u);
    console.shown = false;
    fake->unplug("K");
    fake->postChange();
    settle();
    EXPECT_EQ(console.lines.size(), 1u) << "nothing is kept for later while hidden";
    EXPECT_EQ(changes, (std::vector<bool>{true, false, true}));
    console.shown = true;
    conn->sMsg("later");
    EXPECT_EQ(console.lines, (Strings{"Dev on-> V: E8F P:  A6 N: 100", "later"}));
}

TEST_F(ConnectionFixture, DestructionGivesTheDeviceBackSilently) {
    create({receiver("R")});
    settle();
    console.lines.clear();
    conn.reset();
    EXPECT_EQ(changes, std::vector<bool>{true});
    EXPECT_TRUE(console.lines.empty());
}

TEST_F(ConnectionFixture, ReceiverWithoutWriteAccessIsTakenButNotReadAndWritesFail) {
    FakeInterface ro = receiver("R", 0x1234, 0x0001);
    ro.readWrite = false;
    create({ro}, 0x1234, 0x0001);
    settle();
    EXPECT_TRUE(conn->devOn());
    EXPECT_EQ(changes, std::vector<bool>{true});
    EXPECT_FALSE(conn->heldDevice()->IsReading());
    EXPECT_FALSE(conn->uSendA4(0x1F));
    // The console says how to get write access, for as long as this receiver is held, and logs
    // only its own lines.
    EXPECT_EQ(console.accessHint, "write access for 1234:0001");
    EXPECT_EQ(console.lines, Strings{"Dev on-> V:1234 P:   1 N: 100"});
    fake->unplug("R");
    fake->postChange();
    settle();
    EXPECT_EQ(console.accessHint, "");
}

TEST_F(ConnectionFixture, WritableReceiverNeedsNoAccessHint) {
    FakeInterface ro = receiver("A");
    ro.readWrite = false;
    create({ro, receiver("B", 0x0E8F, 0x00B0)});
    settle();
    ASSERT_EQ(heldId(), "A");
    EXPECT_EQ(console.accessHint, "write access for 0E8F:00A6");
    fake->unplug("A");
    fake->postChange();
    settle();
    ASSERT_EQ(heldId(), "B");
    EXPECT_EQ(console.accessHint, "");
}

}  // namespace
}  // namespace orvix::test
