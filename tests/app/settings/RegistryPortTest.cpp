// One set of tests for the registry port, run against the store of the platform it is built
// for: the registry itself under wine, the Config.reg files on Linux.

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "app/settings/RegistryValues.h"
#include "tests/app/settings/RegistryBackend.h"
#include "tests/support/ChildProcess.h"

namespace orvix::test {
namespace {

std::string hex(const std::vector<uint8_t>& data) {
    std::string text;
    char b[3];
    for (uint8_t v : data) {
        std::snprintf(b, sizeof b, "%02x", v);
        text += b;
    }
    return text;
}

class RegistryPortTest : public ::testing::Test {
protected:
    void SetUp() override { backend = makeRegistryBackend(); }

    Registry& registry() { return backend->registry(); }
    std::unique_ptr<RegKey> create(const std::string& leaf) {
        std::unique_ptr<RegKey> key;
        RegStatus s = registry().createKey(backend->keyPath(leaf), key);
        EXPECT_TRUE(s.ok()) << s.message;
        return key;
    }
    std::unique_ptr<RegKey> open(const std::string& leaf) {
        std::unique_ptr<RegKey> key;
        RegStatus s = registry().openKey(backend->keyPath(leaf), key);
        EXPECT_TRUE(s.ok()) << s.message;
        return key;
    }
    // Runs the helper process against the same store.
    ChildResult helper(std::vector<std::string> arguments) {
        arguments.insert(arguments.begin(), backend->location());
        return runChild("registry_helper", arguments);
    }

    std::unique_ptr<RegistryBackend> backend;
};

struct StoredCase {
    const char* what;
    std::string name;
    RegValue value;
};

std::vector<StoredCase> storedCases() {
    return {
        {"string", "Lang", stringValue("EN")},
        {"empty string", "Empty", stringValue("")},
        {"non-ASCII string", "Text",
         stringValue("Gr\xC3\xBC\xC3\x9F"
                     "e \xE6\x97\xA5\xE6\x9C\xAC \xF0\x9F\x98\x80")},
        {"quotes and backslashes", "Quote\"Back\\slash", stringValue("a \"quoted\" \\ value")},
        {"default value", "", stringValue("default")},
        {"DWORD", "VID", dwordValue(0x10E8F)},
        {"binary", "Blob", {kRegBinary, {0x00, 0xFF, 0x10}}},
        {"expandable string", "Path", stringValue("%HOME%\\x", kRegExpandSz)},
        {"multi-string", "Multi", {kRegMultiSz, {'a', 0, 0, 0, 'b', 0, 0, 0, 0, 0}}},
        {"QWORD", "Big", {kRegQword, {1, 2, 3, 4, 5, 6, 7, 8}}},
        {"DWORD stored with 8 bytes", "WideDword", {kRegDword, {0x8F, 0x0E, 0, 0, 1, 0, 0, 0}}},
        {"string with zero-size data", "NoData", {kRegSz, {}}},
        {"string without its NUL, odd size", "Odd", {kRegSz, {'E', 0, 'N'}}},
        {"string with a line break", "Lines", stringValue("one\r\ntwo")},
    };
}

TEST_F(RegistryPortTest, EveryValueKeepsItsTypeAndExactData) {
    auto cases = storedCases();
    {
        auto key = create("Config");
        ASSERT_TRUE(key);
        for (auto& c : cases) {
            RegStatus s = key->set(c.name, c.value);
            EXPECT_TRUE(s.ok()) << c.what << ": " << s.message;
        }
    }
    auto key = open("Config");  // read back through a key opened afresh
    ASSERT_TRUE(key);
    for (auto& c : cases) {
        SCOPED_TRACE(c.what);
        RegValue got;
        RegStatus s = key->query(c.name, got);
        ASSERT_TRUE(s.ok()) << s.message;
        EXPECT_EQ(got.type, c.value.type);
        EXPECT_EQ(hex(got.data), hex(c.value.data));
    }
}

TEST_F(RegistryPortTest, StringsAreUtf16WithTheirNul) {
    auto key = create("Config");
    ASSERT_TRUE(key);
    ASSERT_TRUE(key->set("Lang", stringValue("JPN")).ok());
    RegValue got;
    ASSERT_TRUE(key->query("Lang", got).ok());
    EXPECT_EQ(got.data.size(), (3u + 1) * 2);
    EXPECT_EQ(textOfUtf16(got.data), "JPN");
}

TEST_F(RegistryPortTest, ASetReplacesValueAndType) {
    auto key = create("Config");
    ASSERT_TRUE(key);
    ASSERT_TRUE(key->set("Lang", stringValue("EN")).ok());
    ASSERT_TRUE(key->set("Lang", dwordValue(7)).ok());
    RegValue got;
    ASSERT_TRUE(key->query("Lang", got).ok());
    EXPECT_EQ(got.type, kRegDword);
    EXPECT_EQ(hex(got.data), "07000000");
}

TEST_F(RegistryPortTest, KeyAndValueNamesIgnoreLetterCase) {
    auto key = create("Config");
    ASSERT_TRUE(key);
    ASSERT_TRUE(key->set("Lang", stringValue("EN")).ok());
    ASSERT_TRUE(key->set("LANG", stringValue("CHN")).ok());  // the same value
    std::unique_ptr<RegKey> again;
    ASSERT_TRUE(registry().openKey(backend->keyPath("CONFIG"), again).ok());
    RegValue got;
    ASSERT_TRUE(again->query("lang", got).ok());
    EXPECT_EQ(textOfUtf16(got.data), "CHN");
}

TEST_F(RegistryPortTest, AMissingKeyIsNotFoundAndOpeningCreatesNothing) {
    std::unique_ptr<RegKey> key;
    for (int attempt = 0; attempt < 2; ++attempt) {
        RegStatus s = registry().openKey(backend->keyPath("Missing"), key);
        EXPECT_EQ(s.kind, RegStatus::NotFound) << s.message;
        EXPECT_EQ(s.code, 2u);
        EXPECT_FALSE(key);
    }
}

TEST_F(RegistryPortTest, CreatingAKeyCreatesItsMissingParents) {
    ASSERT_TRUE(create("A\\B\\C"));
    for (const char* leaf : {"A", "A\\B", "A\\B\\C"}) {
        std::unique_ptr<RegKey> key;
        EXPECT_TRUE(registry().openKey(backend->keyPath(leaf), key).ok()) << leaf;
    }
    // Creating an existing key opens it, values and all.
    auto key = create("A\\B\\C");
    ASSERT_TRUE(key->set("X", dwordValue(1)).ok());
    RegValue got;
    EXPECT_TRUE(create("A\\B\\C")->query("X", got).ok());
}

TEST_F(RegistryPortTest, MissingValuesAreNotFoundForQueryAndDelete) {
    auto key = create("Config");
    ASSERT_TRUE(key);
    ASSERT_TRUE(key->set("Keep", dwordValue(1)).ok());
    RegValue got;
    RegStatus s = key->query("Lang", got);
    EXPECT_EQ(s.kind, RegStatus::NotFound);
    EXPECT_EQ(s.code, 2u);
    EXPECT_EQ(key->remove("Lang").kind, RegStatus::NotFound);

    ASSERT_TRUE(key->set("Lang", stringValue("EN")).ok());
    EXPECT_TRUE(key->remove("LANG").ok());
    EXPECT_EQ(key->query("Lang", got).kind, RegStatus::NotFound);
    EXPECT_EQ(key->remove("Lang").kind, RegStatus::NotFound);
    EXPECT_TRUE(key->query("Keep", got).ok());  // the others stay
}

TEST_F(RegistryPortTest, AValueWrittenByOneProcessIsReadByAnother) {
    auto key = create("Shared");
    ASSERT_TRUE(key);  // opened before the other process writes
    RegValue text = stringValue("\xE6\x97\xA5\xE6\x9C\xAC EN");
    ChildResult wrote = helper({"set", backend->keyPath("Shared"), "FromHelper", "1", hex(text.data)});
    ASSERT_EQ(wrote.exitCode, 0) << wrote.output;
    RegValue got;
    ASSERT_TRUE(key->query("FromHelper", got).ok());
    EXPECT_EQ(got.type, kRegSz);
    EXPECT_EQ(hex(got.data), hex(text.data));

    ASSERT_TRUE(key->set("FromTest", dwordValue(0x0E8F)).ok());
    ChildResult read = helper({"get", backend->keyPath("SHARED"), "fromtest"});
    ASSERT_EQ(read.exitCode, 0) << read.output;
    EXPECT_EQ(read.output.substr(0, read.output.find_first_of("\r\n")), "type=4 data=8f0e0000");

    ChildResult missing = helper({"get", backend->keyPath("Shared"), "Nothing"});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_EQ(missing.output.rfind("error 2:", 0), 0u) << missing.output;
}

}  // namespace
}  // namespace orvix::test
