// A receiver whose configuration collection shares its USB interface, and so its hidraw node, with
// a keyboard and a consumer control: the backend lists one interface per top-level collection, the
// connection takes the configuration collection's, and the keyboard's and consumer control's
// reports on the same node never reach it.

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <thread>

#include "hid/ReportDescriptor.h"
#include "tests/kernel/KernelFixture.h"

namespace orvix::test {
namespace {

using namespace std::chrono_literals;

class SharedLayout : public KernelConnection {
protected:
    void SetUp() override {
        ASSERT_TRUE(receiver.ok()) << receiver.error();
        ASSERT_TRUE(receiver.plug()) << receiver.error();
    }
    // The keyboard's and the consumer control's reports, as a user typing and pressing media keys
    // sends them (about one of each per millisecond), until stopped.
    void startFlood() {
        flooding = true;
        flood = std::thread([this] {
            for (uint8_t n = 0; flooding; ++n) {
                // A key report whose reserved byte counts (no key is pressed), and a consumer
                // report of no usage: every one reaches hidraw, none types anything.
                bool sent = receiver.sendInput({kKeyboardReportId, 0, n, 0, 0, 0, 0, 0, 0}) &&
                            receiver.sendInput({kConsumerReportId, 0, 0});
                if (sent) ++flooded;
                std::this_thread::sleep_for(1ms);
            }
        });
    }
    void stopFlood() {
        flooding = false;
        if (flood.joinable()) flood.join();
    }
    void TearDown() override {
        stopFlood();
        KernelConnection::TearDown();
    }

    UhidReceiver receiver{UhidReceiver::Options{UhidReceiver::Layout::Shared}};
    std::atomic<bool> flooding{false};
    std::atomic<int> flooded{0};
    std::thread flood;
};

// Also prints the interfaces as the backend lists them, for the record.
TEST_F(SharedLayout, OneInterfacePerCollectionIsListedAndTheConfigurationCollectionIsTaken) {
    connect();
    ASSERT_TRUE(waitHeld(true));
    const UhidReceiver::Instance shared = receiver.config(), mouse = receiver.mouse();

    std::printf("Interfaces listed with the shared-layout receiver plugged in:\n");
    std::printf("  %-28s %-20s %-6s %-7s %5s %6s %7s  %s\n", "identity", "path", "vendor", "product", "input", "output",
                "feature", "usage page:usage");
    for (int i = 0; i < conn->chid.count(); ++i) {
        THidDevice* dev = conn->chid.device(i);
        HidCaps caps = dev->Caps();
        std::printf("  %-28s %-20s %04X   %04X    %5u %6u %7u  %04X:%04X%s\n", dev->PnPInfo().DeviceID.c_str(),
                    dev->PnPInfo().DevicePath.c_str(), dev->Attributes().VendorID, dev->Attributes().ProductID,
                    caps.InputReportByteLength, caps.OutputReportByteLength, caps.FeatureReportByteLength,
                    caps.UsagePage, caps.Usage, dev->IsCheckedOut() ? "  <- taken" : "");
    }
    std::fflush(stdout);

    struct Want {
        std::string id, path;
        uint16_t usagePage, usage, input, output;
    };
    const Want want[] = {
        {mouse.hidName, mouse.node, 0x01, 0x02, 4, 0},
        {shared.hidName + "&col01", shared.node + "&col01", 0x01, 0x06, 9, 2},
        {shared.hidName + "&col02", shared.node + "&col02", 0x0C, 0x01, 3, 0},
        {shared.hidName + "&col03", shared.node + "&col03", 0xFF00, 0x01, 8, 8},
    };
    ASSERT_EQ(conn->chid.count(), 4);
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(want[i].id);
        THidDevice* dev = conn->chid.device(i);
        EXPECT_EQ(dev->PnPInfo().DeviceID, want[i].id);
        EXPECT_EQ(dev->PnPInfo().DevicePath, want[i].path);
        EXPECT_EQ(dev->Attributes().VendorID, 0x0E8F);
        EXPECT_EQ(dev->Attributes().ProductID, 0x00A6);
        HidCaps caps = dev->Caps();
        EXPECT_EQ(caps.UsagePage, want[i].usagePage);
        EXPECT_EQ(caps.Usage, want[i].usage);
        EXPECT_EQ(caps.InputReportByteLength, want[i].input);
        EXPECT_EQ(caps.OutputReportByteLength, want[i].output);
        EXPECT_EQ(dev->IsCheckedOut(), i == 3);
    }
    EXPECT_TRUE(conn->heldDevice()->IsReading());
    EXPECT_EQ(changes, std::vector<bool>{true});
    ASSERT_EQ(console.lines.size(), 1u);
    EXPECT_EQ(console.lines[0].rfind("Dev on-> V: E8F P:  A6 N:", 0), 0u) << console.lines[0];
}

// The apply sequence as the main window runs it: the status query, then the five default key
// writes, each sent after the acknowledgement of the one before, while the keyboard and the
// consumer control of the same node send their reports all along. The receiver answers slowly, so
// the flood runs through every wait.
TEST_F(SharedLayout, FullApplySequenceIsUndisturbedByAFloodOfKeyboardAndConsumerReports) {
    struct Row {
        uint8_t key;
        uint16_t code;
    };
    const Row rows[] = {{2, 0x4000}, {4, 0x0008}, {1, 0x0001}, {0, 0x0000}, {3, 0x104B}};
    receiver.setAnswerDelay(20ms);
    startFlood();
    ASSERT_TRUE(loop.runUntil([&] { return flooded >= 20; }, kernelWait)) << "the flood does not run";

    connect();
    int step = -1;  // -1: waiting for the status, 0-4: the row whose acknowledgement is awaited, 5: done
    auto sendRow = [&] { conn->uSendA4(rows[step].key + rows[step].code * 256u); };
    conn->setOnDevChange([&](bool on) {
        changes.push_back(on);
        if (on) conn->uSendA4(0x1F);
    });
    conn->setOnDevDataIn([&](const TByteDynArray& d) {
        received.push_back(d);
        if (d.size() != 7) return;
        if (step == -1 && d[0] == 0x80) {
            step = 0;
            sendRow();
        } else if (step >= 0 && step < 5 && d[0] == 0x89) {
            if (d[2] == rows[step].key) ++step;
            if (step < 5) sendRow();  // the next row, or the same again after a wrong acknowledgement
        }
    });
    const int floodedBefore = flooded;
    ASSERT_TRUE(loop.runUntil([&] { return step == 5; }, kernelWait))
        << "stopped at row " << step << " after " << received.size() << " reports";
    const int floodedDuring = flooded - floodedBefore;
    stopFlood();
    loop.runFor(100ms);  // anything late would show here

    std::vector<Bytes> expectedOut{{0x04, 0x02, 0x01, 0xA4, 0x1F, 0x00, 0x00, 0x3D}};
    std::vector<TByteDynArray> expectedIn{{0x80, 0, 0, 0, 0, 0, 0}};
    for (const Row& r : rows) {
        expectedOut.push_back(Bytes{0x04});
        for (uint8_t b : a4Frame(r.key + r.code * 256u)) expectedOut.back().push_back(b);
        expectedIn.push_back({0x89, 0x00, r.key, 0, 0, 0, 0});
    }
    EXPECT_EQ(receiver.outputs(), expectedOut);
    EXPECT_EQ(received, expectedIn) << "only the configuration collection's reports, each once";
    EXPECT_EQ(changes, std::vector<bool>{true});
    EXPECT_GE(floodedDuring, 50) << "the flood hardly overlapped the sequence";
    std::printf("Apply sequence: 6 frames acknowledged while %d keyboard and %d consumer reports were sent\n",
                floodedDuring, floodedDuring);
}

// The controller alone, holding the keyboard's, the consumer control's and the configuration
// collection's interfaces of one node at once: each reader has its own copy of the node's reports
// and passes on its own collection's, so none takes another's.
TEST_F(SharedLayout, ThreeInterfacesOfOneNodeHeldAtOnceEachReadTheirOwnReports) {
    struct Seen {
        THidDevice* dev = nullptr;
        std::vector<std::pair<uint8_t, uint16_t>> reports;  // report ID, data size
    };
    Seen seen[3];
    THidDeviceController chid(makeNativeHidPlatform(loop), loop);
    const std::string shared = receiver.config().hidName;
    ASSERT_TRUE(loop.runUntil([&] { return chid.count() == 4; }, kernelWait));
    for (int c = 0; c < 3; ++c) {
        int index = -1;
        for (int i = 0; i < chid.count(); ++i)
            if (chid.device(i)->PnPInfo().DeviceID == shared + "&col0" + std::to_string(c + 1)) index = i;
        ASSERT_GE(index, 0) << c;
        ASSERT_TRUE(chid.CheckOutByIndex(seen[c].dev, index));
        Seen* s = &seen[c];
        s->dev->setOnData(
            [s](THidDevice&, uint8_t id, const uint8_t*, uint16_t size) { s->reports.emplace_back(id, size); });
        ASSERT_TRUE(s->dev->IsReading()) << c;
    }

    constexpr int rounds = 20;
    for (int i = 0; i < rounds; ++i) {
        ASSERT_TRUE(receiver.sendInput({kKeyboardReportId, 0, static_cast<uint8_t>(i), 0, 0, 0, 0, 0, 0}));
        ASSERT_TRUE(receiver.sendInput({kConsumerReportId, 0, 0}));
        ASSERT_TRUE(receiver.sendInput({kConfigReportId, 0x80, 0, 0, 0, 0, 0, 0}));
        loop.runFor(2ms);  // a user's pace; the node keeps 64 reports for a reader that lags
    }
    ASSERT_TRUE(loop.runUntil(
        [&] {
            return seen[0].reports.size() >= rounds && seen[1].reports.size() >= rounds &&
                   seen[2].reports.size() >= rounds;
        },
        kernelWait));
    loop.runFor(50ms);
    using Reports = std::vector<std::pair<uint8_t, uint16_t>>;
    EXPECT_EQ(seen[0].reports, Reports(rounds, {kKeyboardReportId, 8}));
    EXPECT_EQ(seen[1].reports, Reports(rounds, {kConsumerReportId, 2}));
    EXPECT_EQ(seen[2].reports, Reports(rounds, {kConfigReportId, 7}));
    for (Seen& s : seen) chid.CheckIn(s.dev);
}

}  // namespace
}  // namespace orvix::test
