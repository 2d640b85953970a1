#include <gtest/gtest.h>

#include "app/RegistrySettings.h"
#include "app/settings/RegistryValues.h"
#include "tests/app/MemoryRegistry.h"

namespace orvix::test {
namespace {

const std::string key = "software\\Quano\\OrvixMouseV1\\Config";

class MemoryAutoStart final : public AutoStart {
public:
    bool open() override { return opens; }
    bool present() override { return !command.empty(); }
    bool write(const std::string& path, std::string& error) override {
        if (failWrites) {
            error = "disk full";
            return false;
        }
        command = path;
        return true;
    }
    void remove() override { command.clear(); }
    bool opens = true;
    bool failWrites = false;
    std::string command;
};

struct Fixture {
    Fixture() {
        auto r = std::make_unique<MemoryRegistry>();
        auto a = std::make_unique<MemoryAutoStart>();
        registry = r.get();
        autoStart = a.get();
        settings = std::make_unique<RegistrySettings>(std::move(r), key, std::move(a), "/opt/orvix/orvix-mouse");
    }
    MemoryRegistry* registry;
    MemoryAutoStart* autoStart;
    std::unique_ptr<RegistrySettings> settings;
};

RegValue raw(uint32_t type, std::vector<uint8_t> data) { return {type, std::move(data)}; }

struct ReadCase {
    const char* name;
    MemoryRegistry::Values values;  // absent key when empty and noKey
    bool noKey;
    const char* lang;
    uint16_t vid, pid;
    const char* error;  // nullptr: none
};

class ReadAtStart : public ::testing::TestWithParam<ReadCase> {};

TEST_P(ReadAtStart, TakesWhatIsStoredOrRaisesTheError) {
    const ReadCase& c = GetParam();
    Fixture f;
    if (!c.noKey) f.registry->keys[MemoryRegistry::lower(key)] = c.values;
    std::string lang = "EN", problem;
    uint16_t vid = 0x0E8F, pid = 0x00A6;
    if (c.error) {
        try {
            f.settings->readConfig(lang, vid, pid, problem);
            ADD_FAILURE() << "no error";
        } catch (const SettingsError& e) {
            EXPECT_STREQ(e.what(), c.error);
        }
    } else {
        f.settings->readConfig(lang, vid, pid, problem);
    }
    EXPECT_EQ(lang, c.lang);
    EXPECT_EQ(vid, c.vid);
    EXPECT_EQ(pid, c.pid);
    EXPECT_TRUE(problem.empty());
    EXPECT_EQ(f.registry->keys.size(), c.noKey ? 0u : 1u) << "reading creates no key";
}

INSTANTIATE_TEST_SUITE_P(
    Settings, ReadAtStart,
    ::testing::Values(
        ReadCase{"NoKeyKeepsTheDefaults", {}, true, "EN", 0x0E8F, 0x00A6, nullptr},
        ReadCase{"EmptyKey", {}, false, "EN", 0x0E8F, 0x00A6, nullptr},
        ReadCase{"AllThree",
                 {{"lang", stringValue("CHN")}, {"vid", dwordValue(0x1234)}, {"pid", dwordValue(0x0001)}},
                 false,
                 "CHN",
                 0x1234,
                 0x0001,
                 nullptr},
        ReadCase{"VidLow16Bits", {{"vid", dwordValue(0x10E8F)}}, false, "EN", 0x0E8F, 0x00A6, nullptr},
        ReadCase{"EmptyLang", {{"lang", stringValue("")}}, false, "", 0x0E8F, 0x00A6, nullptr},
        ReadCase{"ZeroSizeLangOfAnyType", {{"lang", raw(kRegBinary, {})}}, false, "", 0x0E8F, 0x00A6, nullptr},
        ReadCase{"ExpandableLangUnexpanded",
                 {{"lang", stringValue("%X%", kRegExpandSz)}},
                 false,
                 "%X%",
                 0x0E8F,
                 0x00A6,
                 nullptr},
        ReadCase{"LangEndsAtTheFirstNul",
                 {{"lang", raw(kRegSz, {'J', 0, 'P', 0, 0, 0, 'X', 0, 0, 0})}},
                 false,
                 "JP",
                 0x0E8F,
                 0x00A6,
                 nullptr},
        ReadCase{"LangAsADword",
                 {{"lang", dwordValue(1)}, {"vid", dwordValue(0x1111)}},
                 false,
                 "EN",
                 0x0E8F,
                 0x00A6,
                 "Invalid data type for 'Lang'"},
        ReadCase{
            "VidAsAString", {{"vid", stringValue("0E8F")}}, false, "EN", 0x0E8F, 0x00A6, "Invalid data type for 'VID'"},
        ReadCase{"PidOfEightBytes",
                 {{"pid", raw(kRegDword, {1, 0, 0, 0, 0, 0, 0, 0})}},
                 false,
                 "EN",
                 0x0E8F,
                 0x00A6,
                 "Failed to get data for 'PID'"},
        ReadCase{"ValueNamesIgnoreCase", {{"lang", stringValue("JPN")}}, false, "JPN", 0x0E8F, 0x00A6, nullptr}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Settings, AStoreThatCannotBeReadIsReportedAndLeavesTheDefaults) {
    Fixture f;
    f.registry->broken = true;
    std::string lang = "EN", problem;
    uint16_t vid = 1, pid = 2;
    f.settings->readConfig(lang, vid, pid, problem);
    EXPECT_EQ(lang, "EN");
    EXPECT_NE(problem.find("cannot be read"), std::string::npos);
    try {
        f.settings->writeLanguage("CHN");
        ADD_FAILURE() << "a broken store must refuse the write";
    } catch (const SettingsError& e) {
        EXPECT_EQ(std::string(e.what()).rfind("Failed to set data for 'Lang'", 0), 0u);
    }
}

TEST(Settings, LanguageWriteCreatesTheKeyAndRaisesWhenItCannotSet) {
    Fixture f;
    f.settings->writeLanguage("CHN");
    RegValue v = f.registry->keys[MemoryRegistry::lower(key)]["lang"];
    EXPECT_EQ(v.type, kRegSz);
    EXPECT_EQ(textOfUtf16(v.data), "CHN");
    EXPECT_EQ(v.data.size(), 8u) << "(length + 1) * 2 bytes";
    f.registry->readOnly = true;
    EXPECT_THROW(f.settings->writeLanguage("JPN"), SettingsError) << "the key opens, the value cannot be set";
    f.registry->keys.clear();
    EXPECT_NO_THROW(f.settings->writeLanguage("JPN")) << "a key neither opened nor created: nothing, silently";
}

TEST(Settings, AutoRunFollowsTheEntrysPresenceWhateverItHolds) {
    Fixture f;
    EXPECT_FALSE(f.settings->autoRunPresent());
    f.autoStart->command = "C:\\Other\\program.exe";
    EXPECT_TRUE(f.settings->autoRunPresent()) << "another program's path still ticks";
    f.settings->setAutoRun(true);
    EXPECT_EQ(f.autoStart->command, "/opt/orvix/orvix-mouse") << "ticking overwrites it";
    f.settings->setAutoRun(false);
    EXPECT_FALSE(f.settings->autoRunPresent());
    f.settings->setAutoRun(false);  // deleting what is gone is of no consequence
    f.autoStart->failWrites = true;
    try {
        f.settings->setAutoRun(true);
        ADD_FAILURE();
    } catch (const SettingsError& e) {
        EXPECT_EQ(std::string(e.what()).rfind("Failed to set data for 'QuanoOrvixMouse'", 0), 0u);
    }
}

TEST(Settings, AnAutoStartPlaceThatDoesNotOpenStoresNothing) {
    Fixture f;
    f.autoStart->opens = false;
    f.autoStart->command = "x";
    EXPECT_FALSE(f.settings->autoRunPresent());
    f.settings->setAutoRun(false);
    EXPECT_EQ(f.autoStart->command, "x");
}

}  // namespace
}  // namespace orvix::test
