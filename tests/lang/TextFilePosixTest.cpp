// Files that are not plain files, and files this user may not read, beside the program.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <future>

#include "lang/CaptionCatalogue.h"
#include "lang/FolderLookup.h"
#include "lang/TextDecoding.h"

namespace orvix {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

class OddFiles : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/orvix-oddfiles.XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir = pattern;
    }
    void TearDown() override { fs::remove_all(dir); }
    fs::path dir;
};

TEST_F(OddFiles, AFifoIsNeitherFoundNorWaitedOn) {
    fs::path fifo = dir / "Lang.txt";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(findIgnoringCase(dir.string(), "lang.txt", EntryKind::File), "");
    EXPECT_EQ(findIgnoringCase(dir.string(), "Lang.txt", EntryKind::File), "");
    // Read directly (it could have taken a file's place after the lookup): refused at once. The
    // read runs apart, so a regression fails here instead of hanging the suite.
    auto reading = std::async(std::launch::async, [&] {
        std::vector<uint8_t> bytes;
        FileError error;
        bool ok = readWholeFile(fifo.string(), bytes, error);
        return std::make_pair(ok, error.kind);
    });
    if (reading.wait_for(30s) != std::future_status::ready) {
        int writer = open(fifo.c_str(), O_WRONLY | O_NONBLOCK);  // releases the reader
        ADD_FAILURE() << "reading a FIFO waited for a writer";
        reading.wait();
        close(writer);
        return;
    }
    auto [ok, kind] = reading.get();
    EXPECT_FALSE(ok);
    EXPECT_EQ(kind, FileError::NotAFile);
}

TEST_F(OddFiles, ALinkCountsAsWhatItPointsTo) {
    std::ofstream(dir / "real.txt") << "langname=X\n";
    fs::create_symlink(dir / "real.txt", dir / "Lang.txt");
    ASSERT_EQ(mkfifo((dir / "pipe").c_str(), 0600), 0);
    fs::create_symlink(dir / "pipe", dir / "Start.rtf");
    EXPECT_EQ(findIgnoringCase(dir.string(), "lang.txt", EntryKind::File), (dir / "Lang.txt").string());
    EXPECT_EQ(findIgnoringCase(dir.string(), "Start.rtf", EntryKind::File), "") << "a link to a FIFO";
}

TEST_F(OddFiles, AFileThisUserMayNotReadIsDenied) {
    if (geteuid() == 0) GTEST_SKIP() << "root reads every file (the desktop tier checks this as another user)";
    fs::path file = dir / "Lang.txt";
    std::ofstream(file) << "langname=X\n";
    chmod(file.c_str(), 0);
    std::vector<uint8_t> bytes;
    FileError error;
    EXPECT_FALSE(readWholeFile(file.string(), bytes, error));
    EXPECT_EQ(error.kind, FileError::Denied);
}

}  // namespace
}  // namespace orvix
