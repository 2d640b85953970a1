#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "hid/sim/SimHidPlatform.h"
#include "tests/support/TestLoop.h"

namespace orvix::test {
namespace {

using namespace std::chrono_literals;
using Bytes = std::vector<uint8_t>;
using Strings = std::vector<std::string>;

Bytes frame(uint8_t a0, uint8_t a1 = 0, uint8_t a2 = 0) {
    return {0x04, 0x02, 0x01, 0xA4, a0, a1, a2, static_cast<uint8_t>(0x5C - a0 - a1 - a2)};
}

class Sim : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/orvix-sim.XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir = pattern;
    }
    void TearDown() override {
        sim.reset();
        std::filesystem::remove_all(dir);
    }
    void make(SimOptions options = {}) {
        sim = std::make_unique<SimHidPlatform>(loop, std::move(options));
        sim->startNotifications([this](int32_t t) { triggers.push_back(t); });
    }
    std::string configPath() {
        for (auto& e : sim->scanInterfaces())
            if (e.path.find("config") != std::string::npos) return e.path;
        return {};
    }
    bool write(const Bytes& report) {
        uint32_t error = 0;
        auto h = sim->openSync(configPath(), HidAccess::ReadWrite, error);
        size_t written = 0;
        return h && h->write(report.data(), report.size(), written) && written == report.size();
    }
    // The next input report within the time given, or nothing.
    std::optional<Bytes> readWithin(std::chrono::milliseconds limit) {
        uint32_t error = 0;
        auto r = sim->openRead(configPath(), error);
        std::optional<Bytes> got;
        std::atomic<bool> done{false};
        std::thread stopper([&] {
            auto end = std::chrono::steady_clock::now() + limit;
            while (!done && std::chrono::steady_clock::now() < end) std::this_thread::sleep_for(2ms);
            r->stop();
        });
        Bytes buffer(8);
        HidReadResult result = r->read(buffer.data(), buffer.size());
        done = true;
        stopper.join();
        if (result.kind == HidReadResult::Data) got = Bytes(buffer.begin(), buffer.begin() + result.bytes);
        return got;
    }

    std::string dir;
    TestLoop loop;
    std::unique_ptr<SimHidPlatform> sim;
    std::vector<int32_t> triggers;
};

TEST_F(Sim, ListsTheBootMouseThenTheConfigurationInterfaceWithLengthsFromTheirDescriptors) {
    make();
    auto entries = sim->scanInterfaces();
    ASSERT_EQ(entries.size(), 2u);
    struct Want {
        uint16_t in, out;
    } want[] = {{4, 0}, {8, 8}};
    for (size_t i = 0; i < 2; ++i) {
        uint32_t error = 0;
        auto h = sim->openSync(entries[i].path, HidAccess::QueryOnly, error);
        ASSERT_NE(h, nullptr);
        HidAttributes a;
        ASSERT_TRUE(h->getAttributes(a));
        EXPECT_EQ(a.VendorID, 0x0E8F);
        EXPECT_EQ(a.ProductID, 0x00A6);
        EXPECT_EQ(a.VersionNumber, 0x0100);
        HidCaps caps;
        ASSERT_TRUE(h->getPreparsedData()->getCaps(caps));
        EXPECT_EQ(caps.InputReportByteLength, want[i].in);
        EXPECT_EQ(caps.OutputReportByteLength, want[i].out);
    }
    loop.processPending();
    EXPECT_EQ(triggers, std::vector<int32_t>{-1}) << "the start-up scan";
}

struct AnswerCase {
    const char* name;
    bool linked;
    Bytes written;
    std::optional<Bytes> answer;
};

class SimAnswers : public Sim, public ::testing::WithParamInterface<AnswerCase> {};

TEST_P(SimAnswers, AnswerFramesAsTheReceiverDoes) {
    make();
    if (!GetParam().linked) {
        sim->command("unlink");
        ASSERT_TRUE(readWithin(500ms).has_value());  // the 04 81 it sends by itself
    }
    EXPECT_TRUE(write(GetParam().written));
    EXPECT_EQ(readWithin(GetParam().answer ? 2000ms : 100ms), GetParam().answer);
}

Bytes badChecksum() {
    Bytes b = frame(0x1F);
    b[7] ^= 1;
    return b;
}
Bytes otherReportId() {
    Bytes b = frame(0x1F);
    b[0] = 0x05;
    return b;
}

INSTANTIATE_TEST_SUITE_P(
    Hid, SimAnswers,
    ::testing::Values(AnswerCase{"QueryLinked", true, frame(0x1F), Bytes{4, 0x80, 0, 0, 0, 0, 0, 0}},
                      AnswerCase{"QueryUnlinked", false, frame(0x1F), Bytes{4, 0x81, 0, 0, 0, 0, 0, 0}},
                      AnswerCase{"KeyWriteLinked", true, frame(0x03, 0x10, 0x4B), Bytes{4, 0x89, 0, 0x03, 0, 0, 0, 0}},
                      AnswerCase{"KeyWriteUnlinked", false, frame(0x03, 0x10, 0x4B), std::nullopt},
                      AnswerCase{"BadChecksum", true, badChecksum(), std::nullopt},
                      AnswerCase{"OtherReportId", true, otherReportId(), std::nullopt}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Sim, WritesOfAnotherLengthOrToTheMouseOrWithoutAccessFail) {
    make();
    Bytes seven(7, 0);
    EXPECT_FALSE(write(seven));
    uint32_t error = 0;
    auto entries = sim->scanInterfaces();
    auto mouse = sim->openSync(entries[0].path, HidAccess::ReadWrite, error);
    size_t written = 0;
    Bytes f = frame(0x1F);
    EXPECT_FALSE(mouse->write(f.data(), f.size(), written));
    auto queryOnly = sim->openSync(configPath(), HidAccess::QueryOnly, error);
    EXPECT_FALSE(queryOnly->write(f.data(), f.size(), written));
}

TEST_F(Sim, TraceAppendsEveryReportTakenAndSentAsItHappens) {
    std::string trace = dir + "/trace.txt";
    std::ofstream(trace) << "earlier\n";
    make({trace, ""});
    ASSERT_TRUE(write(frame(0x1F)));
    ASSERT_TRUE(readWithin(1000ms).has_value());
    std::ifstream in(trace);
    Strings lines;
    for (std::string l; std::getline(in, l);) lines.push_back(l);
    EXPECT_EQ(lines, (Strings{"earlier", "OUT 04 02 01 A4 1F 00 00 3D", "IN 04 80 00 00 00 00 00 00"}));
    EXPECT_EQ(sim->record(), (Strings{"OUT 04 02 01 A4 1F 00 00 3D", "IN 04 80 00 00 00 00 00 00"}));
}

TEST_F(Sim, UnplugAndPlugGiveANewInstanceAndReadsOfTheGoneOneEnd) {
    make();
    loop.processPending();
    std::string before = configPath();
    std::string idBefore = sim->scanInterfaces()[1].deviceId;
    uint32_t error = 0;
    auto r = sim->openRead(before, error);
    HidReadResult result;
    std::thread reader([&] {
        Bytes b(8);
        result = r->read(b.data(), b.size());
    });
    std::this_thread::sleep_for(20ms);
    sim->command("unplug");
    reader.join();
    EXPECT_EQ(result.kind, HidReadResult::Gone);
    Bytes b(8);
    EXPECT_EQ(r->read(b.data(), b.size()).kind, HidReadResult::Gone) << "and every later read";
    EXPECT_TRUE(sim->scanInterfaces().empty());
    sim->command("plug");
    ASSERT_EQ(sim->scanInterfaces().size(), 2u);
    EXPECT_NE(sim->scanInterfaces()[1].deviceId, idBefore);
    loop.processPending();
    EXPECT_EQ(triggers, (std::vector<int32_t>{-1, 0, 0}));
}

TEST_F(Sim, UnplugOtherComesAndGoesAsTwoChanges) {
    make();
    loop.processPending();
    std::vector<size_t> seen;
    sim->stopNotifications();
    sim->startNotifications([&](int32_t) { seen.push_back(sim->scanInterfaces().size()); });
    loop.processPending();
    seen.clear();
    sim->command("unplug-other");
    loop.processPending();
    EXPECT_EQ(seen, (std::vector<size_t>{3, 2}));
}

TEST_F(Sim, LinkAndUnlinkSendStatusReportsByThemselves) {
    make();
    sim->command("unlink");
    EXPECT_EQ(readWithin(500ms), (Bytes{4, 0x81, 0, 0, 0, 0, 0, 0}));
    sim->command("link");
    EXPECT_EQ(readWithin(500ms), (Bytes{4, 0x80, 0, 0, 0, 0, 0, 0}));
}

TEST_F(Sim, WrongAndDroppedAcknowledgementsApplyToTheNextKeyWrites) {
    make();
    sim->command("ack-wrong 2");
    struct Step {
        uint8_t written, named;
    };
    for (Step step : {Step{2, 3}, Step{4, 0}, Step{4, 4}}) {  // two wrong ones (4 + 1 wraps to 0), then right
        ASSERT_TRUE(write(frame(step.written)));
        EXPECT_EQ(readWithin(500ms), (Bytes{4, 0x89, 0, step.named, 0, 0, 0, 0})) << int(step.written);
    }
    sim->command("ack-drop 1");
    ASSERT_TRUE(write(frame(1)));
    EXPECT_EQ(readWithin(100ms), std::nullopt);
    ASSERT_TRUE(write(frame(1)));
    EXPECT_EQ(readWithin(500ms), (Bytes{4, 0x89, 0, 1, 0, 0, 0, 0}));
    sim->command("ack-drop 5");
    ASSERT_TRUE(write(frame(0x1F)));
    EXPECT_TRUE(readWithin(500ms).has_value()) << "the status query is no key write";
}

TEST_F(Sim, DelayHoldsTheAnswerBack) {
    make();
    sim->command("delay 150");
    ASSERT_TRUE(write(frame(0x1F)));
    EXPECT_EQ(readWithin(50ms), std::nullopt);
    EXPECT_TRUE(readWithin(1000ms).has_value());
}

TEST_F(Sim, UnknownCommandsAreIgnored) {
    make();
    for (const char* line : {"", "dance", "ack-wrong", "ack-wrong -3", "delay x", "UNPLUG"}) sim->command(line);
    EXPECT_EQ(sim->scanInterfaces().size(), 2u);
    ASSERT_TRUE(write(frame(2)));
    EXPECT_EQ(readWithin(500ms), (Bytes{4, 0x89, 0, 2, 0, 0, 0, 0}));
}

TEST_F(Sim, CommandsArriveThroughTheControlFifo) {
    std::string fifo = dir + "/control";
    make({"", fifo});
    {
        std::ofstream(fifo) << "unlink\n";  // a writer that comes and goes
    }
    EXPECT_EQ(readWithin(1000ms), (Bytes{4, 0x81, 0, 0, 0, 0, 0, 0}));
    {
        std::ofstream(fifo) << "link\r\nunplug\n";
    }
    for (int i = 0; i < 100 && !sim->scanInterfaces().empty(); ++i) std::this_thread::sleep_for(10ms);
    EXPECT_TRUE(sim->scanInterfaces().empty());
}

TEST_F(Sim, NothingIsNotifiedAfterStopOrDestruction) {
    make();
    sim->command("unplug");  // posts a change
    sim->stopNotifications();
    loop.processPending();
    EXPECT_TRUE(triggers.empty());
    sim->startNotifications([this](int32_t t) { triggers.push_back(t); });
    sim->command("plug");
    sim.reset();  // with calls still queued in the loop
    loop.processPending();
    EXPECT_TRUE(triggers.empty());
}

TEST_F(Sim, DestroyingWithABlockedReaderAndAControlThreadReturns) {
    make({"", dir + "/control"});
    uint32_t error = 0;
    auto r = sim->openRead(configPath(), error);
    std::thread reader([&] {
        Bytes b(8);
        r->read(b.data(), b.size());
    });
    std::this_thread::sleep_for(20ms);
    r->stop();
    reader.join();
    sim.reset();
    SUCCEED();
}

}  // namespace
}  // namespace orvix::test
