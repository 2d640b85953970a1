// The trace: the line format, appended to the file and flushed as each report goes by.

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "hid/sim/SimTrace.h"
#include "tests/hid/sim/SimFixture.h"

namespace orvix::test {
namespace {

std::string slurp(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

TEST(TraceLine, UpperCaseHexPairsAfterOneBlank) {
    EXPECT_EQ(sim::traceLine("OUT", {0x04, 0x02, 0x01, 0xA4, 0x1F, 0x00, 0x00, 0x3D}), "OUT 04 02 01 A4 1F 00 00 3D");
    EXPECT_EQ(sim::traceLine("IN", {0x04, 0xFF, 0x0a}), "IN 04 FF 0A");
}

class TraceFile : public SimTest {
protected:
    void SetUp() override {
        dir = std::filesystem::temp_directory_path() /
              ("orvix-sim-trace-" + std::to_string(std::random_device{}()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
    }
    void TearDown() override {
        sim.reset();
        std::filesystem::remove_all(dir);
    }
    std::filesystem::path dir;
};

TEST_F(TraceFile, AppendsEachLineAtOnceAfterWhatWasThere) {
    auto path = dir / "trace.txt";
    std::ofstream(path, std::ios::binary) << "earlier run\n";
    make({path.string(), ""});
    auto reader = readConfig();
    auto writer = openConfig();
    ASSERT_TRUE(reader && writer);
    ASSERT_TRUE(write(*writer, a4(0x1F)));
    const std::string first = "earlier run\nOUT 04 02 01 A4 1F 00 00 3D\nIN 04 80 00 00 00 00 00 00\n";
    EXPECT_EQ(slurp(path), first) << "flushed while the platform still runs";
    sim->command("unlink");
    EXPECT_EQ(slurp(path), first + "IN 04 81 00 00 00 00 00 00\n");
    EXPECT_EQ(sim->record(),
              (Strings{"OUT 04 02 01 A4 1F 00 00 3D", "IN 04 80 00 00 00 00 00 00", "IN 04 81 00 00 00 00 00 00"}));

    sim.reset();
    make({path.string(), ""});
    auto again = openConfig();
    ASSERT_TRUE(again);
    ASSERT_TRUE(write(*again, a4(0x00)));
    EXPECT_EQ(slurp(path), first +
                               "IN 04 81 00 00 00 00 00 00\nOUT 04 02 01 A4 00 00 00 5C\n"
                               "IN 04 89 00 00 00 00 00 00\n")
        << "a second run appends";
    EXPECT_EQ(sim->record().size(), 2u) << "the memory record is the platform's own";
}

TEST_F(TraceFile, OnlyTheReceiversReportsAreTraced) {
    auto path = dir / "trace.txt";
    make({path.string(), ""});
    sim->command("unplug-other");
    auto entries = sim->scanInterfaces();
    ASSERT_EQ(entries.size(), 3u);
    uint32_t error = 0;
    auto keyboard = sim->openSync(entries[2].DevicePath, HidAccess::ReadWrite, error);
    ASSERT_TRUE(keyboard);
    EXPECT_TRUE(write(*keyboard, Bytes{0x00, 0x01})) << "its LED report";
    EXPECT_EQ(slurp(path), "");
    EXPECT_TRUE(sim->record().empty());
}

TEST_F(TraceFile, ATraceThatCannotBeOpenedLeavesTheReceiverWorking) {
    make({(dir / "no-such-folder" / "trace.txt").string(), ""});
    auto reader = readConfig();
    auto writer = openConfig();
    ASSERT_TRUE(reader && writer);
    ASSERT_TRUE(write(*writer, a4(0x1F)));
    EXPECT_EQ(next(*reader), linkedReport);
    EXPECT_EQ(sim->record().size(), 2u);
}

}  // namespace
}  // namespace orvix::test
