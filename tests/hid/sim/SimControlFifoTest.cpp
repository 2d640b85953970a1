// Commands through a real FIFO, as a test script gives them.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "tests/hid/sim/SimFixture.h"

namespace orvix::test {
namespace {

class ControlFifo : public SimTest {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/orvix-sim-fifo.XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir = pattern;
        fifo = (dir / "control").string();
    }
    void TearDown() override {
        sim.reset();
        std::filesystem::remove_all(dir);
    }
    // One writer: opens, writes, closes, as `echo ... > fifo` does.
    void send(const std::string& text) {
        int fd = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK);  // never blocks while the reader holds it
        ASSERT_GE(fd, 0) << std::strerror(errno);
        ASSERT_EQ(::write(fd, text.data(), text.size()), static_cast<ssize_t>(text.size()));
        ::close(fd);
    }
    bool recordHas(size_t lines) {
        return loop.runUntil([&] { return sim->record().size() >= lines; });
    }

    std::filesystem::path dir;
    std::string fifo;
};

TEST_F(ControlFifo, CreatesTheFifoAndTakesEachCommandAcrossWriters) {
    make({"", fifo});
    ASSERT_TRUE(sim->controlRunning());
    struct stat st {};
    ASSERT_EQ(::stat(fifo.c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
    ASSERT_TRUE(notified(1));

    send("unplug\n");
    ASSERT_TRUE(notified(2));
    send("pl");  // a line in two writes, from two writers
    send("ug\n");
    ASSERT_TRUE(notified(3));
    send("what is this\nunplug-other\n");
    ASSERT_TRUE(notified(5));
    EXPECT_EQ(triggers, (std::vector<int32_t>{-1, 0, 0, 0, 0}));

    auto reader = readConfig();
    auto writer = openConfig();
    ASSERT_TRUE(reader && writer);
    send("unlink\r\n");
    EXPECT_EQ(next(*reader), unlinkedReport);
    send("link\n");
    EXPECT_EQ(next(*reader), linkedReport);

    send("ack-wrong 1\nack-drop 1\ndelay 100\n");
    send("unlink\n");  // a marker: the lines before it have been taken once its report is here
    EXPECT_EQ(next(*reader), unlinkedReport);
    send("link\n");
    EXPECT_EQ(next(*reader), linkedReport);
    ASSERT_TRUE(write(*writer, a4(0x02)));  // dropped
    ASSERT_TRUE(write(*writer, a4(0x02)));  // names key 3, after the delay
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(next(*reader), ack(0x03));
    EXPECT_GE(std::chrono::steady_clock::now() - start, 50ms) << "the second answer waits its delay";
}

TEST_F(ControlFifo, UsesAFifoThatIsAlreadyThere) {
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    make({"", fifo});
    ASSERT_TRUE(sim->controlRunning());
    auto reader = readConfig();
    ASSERT_TRUE(reader);
    send("unlink\n");
    EXPECT_EQ(next(*reader), unlinkedReport);
}

TEST_F(ControlFifo, LinesWaitingBeforeTheStartAreTakenBeforeTheFirstScan) {
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    // A script holds the FIFO open and sets the receiver's state before the program starts.
    int holder = ::open(fifo.c_str(), O_RDWR | O_NONBLOCK);
    ASSERT_GE(holder, 0);
    const std::string lines = "unplug\npl";  // the rest of a line may come later
    ASSERT_EQ(::write(holder, lines.data(), lines.size()), static_cast<ssize_t>(lines.size()));
    make({"", fifo});
    EXPECT_TRUE(sim->scanInterfaces().empty());  // at once, with no loop run and no thread needed
    ASSERT_EQ(::write(holder, "ug\n", 3), 3);
    EXPECT_TRUE(loop.runUntil([&] { return sim->scanInterfaces().size() == 2; }));  // "pl" + "ug" made one line
    ::close(holder);
}

TEST_F(ControlFifo, ARegularFileIsNotReadAndTheReceiverStillWorks) {
    std::ofstream(fifo) << "unplug\n";
    make({"", fifo});
    EXPECT_FALSE(sim->controlRunning());
    loop.runFor(30ms);
    EXPECT_EQ(sim->scanInterfaces().size(), 2u);
    EXPECT_EQ(triggers, std::vector<int32_t>{-1});
}

TEST_F(ControlFifo, APathThatCannotBeMadeLeavesTheReceiverWorking) {
    make({"", (dir / "missing" / "control").string()});
    EXPECT_FALSE(sim->controlRunning());
    EXPECT_EQ(sim->scanInterfaces().size(), 2u);
}

TEST_F(ControlFifo, DestroyingThePlatformWithItsControlThreadAndABlockedReaderReturns) {
    make({"", fifo});
    ASSERT_TRUE(sim->controlRunning());
    send("delay 60000\n");
    auto reader = readConfig();
    auto writer = openConfig();
    ASSERT_TRUE(reader && writer);
    send("link\n");  // the delay is in force once this report is here
    ASSERT_EQ(next(*reader), linkedReport);
    ASSERT_TRUE(write(*writer, a4(0x1F)));  // its answer is a minute away
    PendingRead read(*reader);
    EXPECT_FALSE(read.wait(20ms));
    auto destroyed = std::async(std::launch::async, [&] { sim.reset(); });
    ASSERT_EQ(destroyed.wait_for(5s), std::future_status::ready);
    auto result = read.wait();
    ASSERT_TRUE(result);
    EXPECT_EQ(result->kind, HidReadResult::Gone);
}

}  // namespace
}  // namespace orvix::test
