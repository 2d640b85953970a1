#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/autostart/linux/DesktopEntryAutoStart.h"

namespace orvix::test {
namespace {

namespace fs = std::filesystem;

struct ExecCase {
    const char* path;
    const char* exec;
};

class ExecQuoting : public ::testing::TestWithParam<ExecCase> {};

TEST_P(ExecQuoting, FollowsTheDesktopEntryRules) {
    EXPECT_EQ(DesktopEntryAutoStart::execArgument(GetParam().path), GetParam().exec);
}

INSTANTIATE_TEST_SUITE_P(AutoStart, ExecQuoting,
                         ::testing::Values(ExecCase{"/usr/bin/orvix-mouse", "/usr/bin/orvix-mouse"},
                                           ExecCase{"/opt/My Apps/orvix-mouse", "\"/opt/My Apps/orvix-mouse\""},
                                           ExecCase{"/opt/a$b/orvix", "\"/opt/a\\\\$b/orvix\""},
                                           ExecCase{"/opt/a\"b/orvix", "\"/opt/a\\\\\"b/orvix\""},
                                           ExecCase{"/opt/a\\b/orvix", "\"/opt/a\\\\\\\\b/orvix\""},
                                           ExecCase{"/opt/a`b/orvix", "\"/opt/a\\\\`b/orvix\""},
                                           ExecCase{"/opt/x;y", "\"/opt/x;y\""},
                                           ExecCase{"/opt/50%off/orvix", "/opt/50%%off/orvix"},
                                           ExecCase{"/opt/%u %f/orvix", "\"/opt/%%u %%f/orvix\""}));

class ExecLines : public ::testing::TestWithParam<ExecCase> {};

TEST_P(ExecLines, RunTheProgramWithNoArgumentAndKeepAPercentSignOutOfTheProgramsPlace) {
    EXPECT_EQ(DesktopEntryAutoStart::execLine(GetParam().path), GetParam().exec);
}

INSTANTIATE_TEST_SUITE_P(
    AutoStart, ExecLines,
    ::testing::Values(ExecCase{"/usr/bin/orvix-mouse", "/usr/bin/orvix-mouse"},
                      ExecCase{"/opt/My Apps/orvix-mouse", "\"/opt/My Apps/orvix-mouse\""},
                      ExecCase{"/opt/50%off/orvix", R"(sh -c "exec \\"\\$0\\"" /opt/50%%off/orvix)"},
                      ExecCase{"/opt/a b%$/orvix", R"(sh -c "exec \\"\\$0\\"" "/opt/a b%%\\$/orvix")"}));

class DesktopEntry : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/orvix-autostart.XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        root = pattern;
    }
    void TearDown() override { fs::remove_all(root); }
    fs::path root;
};

TEST_F(DesktopEntry, IsWrittenRemovedAndItsPresenceAloneCounts) {
    DesktopEntryAutoStart entry(root / "config" / "autostart");
    ASSERT_TRUE(entry.open()) << "a missing folder is made when an entry is written";
    EXPECT_FALSE(entry.present());
    EXPECT_FALSE(fs::exists(root / "config")) << "opening and reading create nothing";
    std::string error;
    ASSERT_TRUE(entry.write("/opt/My Apps/orvix-mouse", error)) << error;
    EXPECT_TRUE(entry.present());
    std::ifstream in(entry.file());
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_NE(text.str().find("\nExec=\"/opt/My Apps/orvix-mouse\"\n"), std::string::npos) << text.str();
    EXPECT_EQ(text.str().rfind("[Desktop Entry]\n", 0), 0u);
    EXPECT_FALSE(fs::exists(root / "config" / "autostart" / "QuanoOrvixMouse.desktop.tmp"));
    entry.remove();
    EXPECT_FALSE(entry.present());
    entry.remove();
}

TEST_F(DesktopEntry, AnyFileThereCountsAsPresent) {
    fs::create_directories(root / "autostart");
    std::ofstream(root / "autostart" / "QuanoOrvixMouse.desktop") << "whatever\n";
    DesktopEntryAutoStart entry(root / "autostart");
    ASSERT_TRUE(entry.open());
    EXPECT_TRUE(entry.present());
}

TEST_F(DesktopEntry, AFolderThatCannotBeMadeDoesNotOpen) {
    std::ofstream(root / "autostart") << "a file where the folder should be\n";
    DesktopEntryAutoStart entry(root / "autostart");
    EXPECT_FALSE(entry.open());
    std::string error;
    EXPECT_FALSE(entry.write("/x", error));
    EXPECT_FALSE(error.empty());
}

}  // namespace
}  // namespace orvix::test
