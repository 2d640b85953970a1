// The Linux store itself: where its files are, what they hold, how it meets files a person
// edited, and that a file it cannot read is never overwritten.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <future>
#include <sstream>

#include "app/settings/RegistryValues.h"
#include "app/settings/linux/FileRegistry.h"

namespace orvix {
namespace {

namespace fs = std::filesystem;

constexpr const char* kConfigKey = "software\\Quano\\OrvixMouseV1\\Config";

class FileRegistryTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "orvix-filereg-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        root = pattern;
    }
    void TearDown() override { fs::remove_all(root); }

    static std::string read(const fs::path& file) {
        std::ifstream in(file, std::ios::binary);
        std::ostringstream s;
        s << in.rdbuf();
        return s.str();
    }
    static void write(const fs::path& file, const std::string& text) {
        fs::create_directories(file.parent_path());
        std::ofstream(file, std::ios::binary) << text;
    }
    std::vector<std::string> filesIn(const fs::path& folder) const {
        std::vector<std::string> names;
        for (auto& e : fs::directory_iterator(folder)) names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    fs::path root;
    FileRegistry store() const { return FileRegistry(root); }
};

TEST_F(FileRegistryTest, TheConfigKeyIsOneRegFileInTheRegistryFormat) {
    FileRegistry reg = store();
    std::unique_ptr<RegKey> key;
    ASSERT_TRUE(reg.createKey(kConfigKey, key).ok());
    ASSERT_TRUE(key->set("Lang", stringValue("EN")).ok());
    ASSERT_TRUE(key->set("VID", dwordValue(0x0E8F)).ok());
    fs::path file = root / "Quano" / "OrvixMouseV1" / "Config.reg";
    EXPECT_EQ(read(file),
              "REGEDIT4\n\n[HKEY_CURRENT_USER\\software\\Quano\\OrvixMouseV1\\Config]\n"
              "\"Lang\"=\"EN\"\n\"VID\"=dword:00000e8f\n\n");
    EXPECT_EQ(filesIn(file.parent_path()), std::vector<std::string>{"Config.reg"});  // no temporary left
}

TEST_F(FileRegistryTest, FindsFilesAndFoldersAPersonNamedInAnotherCase) {
    fs::path file = root / "quano" / "ORVIXMOUSEV1" / "config.REG";
    write(file, "REGEDIT4\n[HKEY_CURRENT_USER\\SOFTWARE\\QUANO\\ORVIXMOUSEV1\\CONFIG]\n\"lang\"=\"JPN\"\n");
    FileRegistry reg = store();
    std::unique_ptr<RegKey> key;
    ASSERT_TRUE(reg.openKey(kConfigKey, key).ok());
    RegValue got;
    ASSERT_TRUE(key->query("Lang", got).ok());
    EXPECT_EQ(textOfUtf16(got.data), "JPN");
    ASSERT_TRUE(key->set("Lang", stringValue("EN")).ok());
    EXPECT_EQ(filesIn(file.parent_path()), std::vector<std::string>{"config.REG"});  // the same file
    EXPECT_NE(read(file).find("\"lang\"=\"EN\""), std::string::npos);                // the name keeps its spelling
}

TEST_F(FileRegistryTest, AFileItCannotParseIsReportedAndNeverOverwritten) {
    fs::path file = root / "Quano" / "OrvixMouseV1" / "Config.reg";
    const std::string broken = "REGEDIT4\n[HKEY_CURRENT_USER\\software\\Quano\\OrvixMouseV1\\Config]\n\"Lang\"=EN\n";
    write(file, broken);
    FileRegistry reg = store();
    std::unique_ptr<RegKey> key;
    RegStatus opened = reg.openKey(kConfigKey, key);
    EXPECT_EQ(opened.kind, RegStatus::Failed);
    EXPECT_NE(opened.message.find("line 3"), std::string::npos) << opened.message;
    EXPECT_NE(opened.message.find(file.string()), std::string::npos) << opened.message;
    EXPECT_FALSE(key);
    EXPECT_EQ(reg.createKey(kConfigKey, key).kind, RegStatus::Failed);

    // A key opened while the file was good: the person's bad edit comes later.
    write(file, "REGEDIT4\n");
    ASSERT_TRUE(reg.openKey(kConfigKey, key).ok());
    write(file, broken);
    RegValue got;
    EXPECT_EQ(key->query("Lang", got).kind, RegStatus::Failed);
    for (RegStatus s : {key->set("Lang", stringValue("EN")), key->remove("Lang")}) {
        EXPECT_EQ(s.kind, RegStatus::Failed);
        EXPECT_NE(s.message.find("line 3"), std::string::npos) << s.message;
        EXPECT_NE(s.message.find("left as it is"), std::string::npos) << s.message;
    }
    EXPECT_EQ(read(file), broken);
}

// No store holds a megabyte: a larger file is refused like one that cannot be parsed, before it
// is read, and never overwritten.
TEST_F(FileRegistryTest, AFileFarLargerThanAnyStoreIsReportedAndNeverOverwritten) {
    fs::path file = root / "Quano" / "OrvixMouseV1" / "Config.reg";
    std::string big = "REGEDIT4\n[HKEY_CURRENT_USER\\software\\Quano\\OrvixMouseV1\\Config]\n\"Lang\"=\"JPN\"\n" +
                      std::string(2 << 20, ';') + "\n";
    write(file, big);
    FileRegistry reg = store();
    std::unique_ptr<RegKey> key;
    RegStatus opened = reg.openKey(kConfigKey, key);
    EXPECT_EQ(opened.kind, RegStatus::Failed);
    EXPECT_NE(opened.message.find(file.string()), std::string::npos) << opened.message;
    EXPECT_NE(opened.message.find("larger than"), std::string::npos) << opened.message;
    EXPECT_EQ(reg.createKey(kConfigKey, key).kind, RegStatus::Failed);

    write(file, "REGEDIT4\n");
    ASSERT_TRUE(reg.openKey(kConfigKey, key).ok());
    write(file, big);
    RegStatus s = key->set("Lang", stringValue("EN"));
    EXPECT_EQ(s.kind, RegStatus::Failed);
    EXPECT_NE(s.message.find("left as it is"), std::string::npos) << s.message;
    EXPECT_EQ(read(file), big);
}

// A key opened once sees every later change to its file, also one that keeps the file's size.
TEST_F(FileRegistryTest, AnOpenKeySeesEachChangeOfItsFile) {
    fs::path file = root / "Quano" / "OrvixMouseV1" / "Config.reg";
    const std::string head = "REGEDIT4\n[HKEY_CURRENT_USER\\software\\Quano\\OrvixMouseV1\\Config]\n";
    write(file, head + "\"Lang\"=\"FR\"\n");
    FileRegistry reg = store();
    std::unique_ptr<RegKey> key;
    ASSERT_TRUE(reg.openKey(kConfigKey, key).ok());
    RegValue got;
    for (const char* lang : {"FR", "DE", "IT"}) {
        write(file, head + "\"Lang\"=\"" + lang + "\"\n");  // rewritten in place, the same size
        ASSERT_TRUE(key->query("Lang", got).ok());
        EXPECT_EQ(textOfUtf16(got.data), lang);
    }
    std::unique_ptr<RegKey> other;
    ASSERT_TRUE(reg.openKey(kConfigKey, other).ok());
    ASSERT_TRUE(other->set("Lang", stringValue("JPN")).ok());  // replaced by another writer
    ASSERT_TRUE(key->query("Lang", got).ok());
    EXPECT_EQ(textOfUtf16(got.data), "JPN");
}

TEST_F(FileRegistryTest, AFifoInTheStoresPlaceIsNoStoreAndNeverWaitedOn) {
    fs::path file = root / "Quano" / "OrvixMouseV1" / "Config.reg";
    fs::create_directories(file.parent_path());
    ASSERT_EQ(mkfifo(file.c_str(), 0600), 0);
    FileRegistry reg = store();
    std::unique_ptr<RegKey> key;
    // A regression would wait for a writer: run apart and release it.
    auto opening = std::async(std::launch::async, [&] { return reg.openKey(kConfigKey, key).kind; });
    if (opening.wait_for(std::chrono::seconds(30)) != std::future_status::ready) {
        int writer = open(file.c_str(), O_WRONLY | O_NONBLOCK);
        ADD_FAILURE() << "opening the store waited on a FIFO";
        opening.wait();
        close(writer);
        return;
    }
    EXPECT_EQ(opening.get(), RegStatus::NotFound);
}

TEST_F(FileRegistryTest, AFileNamingAnotherKeyIsNotTaken) {
    fs::path file = root / "Quano" / "OrvixMouseV1" / "Config.reg";
    write(file, "REGEDIT4\n\n[HKEY_CURRENT_USER\\software\\Other\\Key]\n\"Lang\"=\"EN\"\n");
    FileRegistry reg = store();
    std::unique_ptr<RegKey> key;
    RegStatus s = reg.openKey(kConfigKey, key);
    EXPECT_EQ(s.kind, RegStatus::Failed);
    EXPECT_NE(s.message.find("line 3"), std::string::npos) << s.message;
}

TEST_F(FileRegistryTest, ParentKeysExistAsFolders) {
    FileRegistry reg = store();
    std::unique_ptr<RegKey> key;
    ASSERT_TRUE(reg.createKey(kConfigKey, key).ok());
    EXPECT_TRUE(reg.openKey("software\\Quano", key).ok());
    RegValue got;
    EXPECT_EQ(key->query("Lang", got).kind, RegStatus::NotFound);
    ASSERT_TRUE(key->set("Lang", stringValue("EN")).ok());  // a parent key may hold values too
    EXPECT_TRUE(fs::exists(root / "Quano.reg"));
}

TEST_F(FileRegistryTest, KeysItCannotKeepAreRefused) {
    FileRegistry reg = store();
    for (const char* path : {"SOFTWARE\\MicroSoft\\..\\x", "Control Panel\\Desktop", "software", "software\\a/b",
                             "software\\\\x", "software\\x\\"}) {
        SCOPED_TRACE(path);
        std::unique_ptr<RegKey> key;
        RegStatus s = reg.createKey(path, key);
        EXPECT_EQ(s.kind, RegStatus::Failed);
        EXPECT_FALSE(s.message.empty());
        EXPECT_FALSE(key);
    }
    EXPECT_TRUE(fs::is_empty(root));
}

TEST_F(FileRegistryTest, TheUserStoreFollowsXdgConfigHome) {
    const char* savedXdg = getenv("XDG_CONFIG_HOME");
    const char* savedHome = getenv("HOME");
    std::string xdg = savedXdg ? savedXdg : "", home = savedHome ? savedHome : "";
    struct Case {
        const char* xdg;  // relative to root, or as it is when not starting with '/'
        fs::path expected;
    } cases[] = {
        {"/xdg", root / "xdg"},
        {"relative/ignored", root / "home" / ".config"},
        {"", root / "home" / ".config"},
    };
    setenv("HOME", (root / "home").c_str(), 1);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.xdg);
        std::string value = c.xdg[0] == '/' ? (root.string() + c.xdg) : c.xdg;
        setenv("XDG_CONFIG_HOME", value.c_str(), 1);
        EXPECT_EQ(userConfigFolder(), c.expected);
    }
    savedXdg ? setenv("XDG_CONFIG_HOME", xdg.c_str(), 1) : unsetenv("XDG_CONFIG_HOME");
    savedHome ? setenv("HOME", home.c_str(), 1) : unsetenv("HOME");
}

}  // namespace
}  // namespace orvix
