// The .reg text of the Linux store: what it writes, what a person may write by hand, and a clear
// error with its line for everything else.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/settings/RegFile.h"
#include "app/settings/RegistryValues.h"

namespace orvix {
namespace {

RegFileKey parsed(const std::string& text) {
    RegFileKey key;
    RegFileError error;
    EXPECT_TRUE(parseRegFile(text, key, error)) << "line " << error.line << ": " << error.what;
    return key;
}

TEST(RegFile, WritesTheRegistryExportFormat) {
    RegFileKey key;
    key.path = "software\\Quano\\OrvixMouseV1\\Config";
    key.values = {{"Lang", stringValue("EN")},
                  {"VID", dwordValue(0x0E8F)},
                  {"Path", stringValue("%A%", kRegExpandSz)},
                  {"Blob", {kRegBinary, {0xAB, 0x01}}},
                  {"Big", {kRegQword, {1, 0, 0, 0, 0, 0, 0, 0}}},
                  {"", stringValue("d\"q\\")}};
    EXPECT_EQ(formatRegFile(key),
              "REGEDIT4\n"
              "\n"
              "[HKEY_CURRENT_USER\\software\\Quano\\OrvixMouseV1\\Config]\n"
              "\"Lang\"=\"EN\"\n"
              "\"VID\"=dword:00000e8f\n"
              "\"Path\"=hex(2):25,00,41,00,25,00,00,00\n"
              "\"Blob\"=hex:ab,01\n"
              "\"Big\"=hex(b):01,00,00,00,00,00,00,00\n"
              "@=\"d\\\"q\\\\\"\n"
              "\n");
}

TEST(RegFile, DataThatIsNotPlainTextIsWrittenAsHexAndComesBackExactly) {
    std::vector<RegFileValue> values = {
        {"NoData", {kRegSz, {}}},
        {"Odd", {kRegSz, {'E', 0, 'N'}}},
        {"NoNul", {kRegSz, {'E', 0, 'N', 0}}},
        {"TwoNuls", {kRegSz, {'E', 0, 0, 0, 0, 0}}},
        {"LoneSurrogate", {kRegSz, {0x00, 0xD8, 0, 0}}},
        {"Lines", stringValue("a\nb")},
        {"WideDword", {kRegDword, {1, 2, 3, 4, 5, 6, 7, 8}}},
        {"ShortDword", {kRegDword, {1}}},
        {"Long", {kRegBinary, std::vector<uint8_t>(100, 0x5A)}},
        {"Empty", {kRegNone, {}}},
        {"Unicode", stringValue("\xE6\x97\xA5\xE6\x9C\xAC \xF0\x9F\x98\x80")},
    };
    RegFileKey key;
    key.path = "software\\T";
    key.values = values;
    std::string text = formatRegFile(key);
    EXPECT_NE(text.find("\"Unicode\"=\"\xE6\x97\xA5"), std::string::npos) << "plain text stays readable";
    EXPECT_NE(text.find("\"NoData\"=hex(1):\n"), std::string::npos);
    RegFileKey back = parsed(text);
    ASSERT_EQ(back.values.size(), values.size());
    for (size_t i = 0; i < values.size(); ++i) {
        SCOPED_TRACE(values[i].name);
        EXPECT_EQ(back.values[i].name, values[i].name);
        EXPECT_EQ(back.values[i].value.type, values[i].value.type);
        EXPECT_EQ(back.values[i].value.data, values[i].value.data);
    }
    for (size_t start = 0, end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
        EXPECT_LE(end - start, 80u) << "long hex lists are wrapped";
}

TEST(RegFile, ReadsWhatAPersonWritesByHand) {
    std::string text =
        "\xEF\xBB\xBF; settings of the mouse utility\r\n"
        "REGEDIT4\r\n"
        "\r\n"
        "   ; the key\r\n"
        "[HKEY_CURRENT_USER\\Software\\Quano\\OrvixMouseV1\\Config]\r\n"
        "\"Lang\" = \"CHN\"\r\n"
        "\"VID\"=DWORD:00000E8F\r\n"
        "\"PID\"=dword:a6   ; short is fine\r\n"
        "\"Say\"=\"a \\\"b\\\" c:\\\\d\"\r\n"
        "\r\n"
        "\"Blob\"=HEX:0A,0b,\\\r\n"
        "    FF, 1\r\n"
        "@=\"x\"\r\n";
    RegFileKey key = parsed(text);
    EXPECT_EQ(key.path, "Software\\Quano\\OrvixMouseV1\\Config");
    EXPECT_EQ(key.pathLine, 5u);
    ASSERT_EQ(key.values.size(), 6u);
    EXPECT_EQ(key.values[0].name, "Lang");
    EXPECT_EQ(textOfUtf16(key.values[0].value.data), "CHN");
    EXPECT_EQ(key.values[1].value.data, dwordValue(0x0E8F).data);
    EXPECT_EQ(key.values[2].value.data, dwordValue(0xA6).data);
    EXPECT_EQ(textOfUtf16(key.values[3].value.data), "a \"b\" c:\\d");
    EXPECT_EQ(key.values[4].value.type, kRegBinary);
    EXPECT_EQ(key.values[4].value.data, (std::vector<uint8_t>{0x0A, 0x0B, 0xFF, 0x01}));
    EXPECT_EQ(key.values[5].name, "");
    ASSERT_NE(key.find("lang"), nullptr);
    EXPECT_EQ(key.find("lang")->name, "Lang");

    EXPECT_TRUE(parsed("Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\software\\x]\n").values.empty());
    EXPECT_TRUE(parsed("REGEDIT4\n").path.empty());  // a key with nothing in it yet
}

TEST(RegFile, ReportsTheFirstBadLine) {
    const std::string head = "REGEDIT4\n[HKEY_CURRENT_USER\\software\\x]\n";
    struct Case {
        std::string text;
        size_t line;
        const char* says;
    } cases[] = {
        {"", 1, "REGEDIT4"},
        {"\n; only a comment\n", 1, "REGEDIT4"},
        {"[HKEY_CURRENT_USER\\software\\x]\n", 1, "REGEDIT4"},
        {"REGEDIT4\n\"Lang\"=\"EN\"\n", 2, "before the key line"},
        {head + "[HKEY_CURRENT_USER\\software\\y]\n", 3, "second key"},
        {"REGEDIT4\n[HKEY_LOCAL_MACHINE\\software\\x]\n", 2, "HKEY_CURRENT_USER"},
        {"REGEDIT4\n[-HKEY_CURRENT_USER\\software\\x]\n", 2, "deletion"},
        {"REGEDIT4\n[HKEY_CURRENT_USER\\software\\x\n", 2, "]"},
        {head + "Lang=\"EN\"\n", 3, "double quotes"},
        {head + "\"Lang\" \"EN\"\n", 3, "="},
        {head + "\"Path\"=\"C:\\Program Files\"\n", 3, "backslash"},
        {head + "\"Lang\"=\"EN\n", 3, "closing double quote"},
        {head + "\"Lang\"=\"EN\" x\n", 3, "after the closing"},
        {head + "\"VID\"=dword:100000000\n", 3, "dword"},
        {head + "\"VID\"=dword:\n", 3, "dword"},
        {head + "\"VID\"=dword:0x10\n", 3, "dword"},
        {head + "\"B\"=hex:0g\n", 3, "hex byte"},
        {head + "\"B\"=hex:123\n", 3, "hex byte"},
        {head + "\"B\"=hex:01,,02\n", 3, "hex byte"},
        {head + "\"B\"=hex(zz):01\n", 3, "hex(N)"},
        {head + "\"B\"=hex:01,\\\n", 3, "end of the file"},
        {head + "\"B\"=hex:01,\\\n\n\"C\"=dword:1\n", 4, "empty line"},
        {head + "\"B\"=hex(2:01\n", 3, "hex(N)"},
        {head + "\"B\"=hex(123456789):01\n", 3, "hex(N)"},
        {head + "\"B\"=hex(2)01\n", 3, ": is missing"},
        {head + "\"La\\ng\"=\"EN\"\n", 3, "value name: a backslash"},
        {head + "\"Lang\"=-\n", 3, "deletion"},
        {head + "\"Lang\"=EN\n", 3, "dword:"},
        {head + "\"Lang\"=\"EN\"\n\"LANG\"=\"CHN\"\n", 4, "line 3"},
        {head + "\"Lang\"=\"\xC3\x28\"\n", 3, "UTF-8"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        RegFileKey key;
        RegFileError error;
        EXPECT_FALSE(parseRegFile(c.text, key, error));
        EXPECT_EQ(error.line, c.line);
        EXPECT_NE(error.what.find(c.says), std::string::npos) << error.what;
        EXPECT_TRUE(key.values.empty());
    }
}

// Many values: each is checked against the earlier ones by name (a hash, not a list), so a store
// of 100,000 values parses at once; a repeat far down still names the line of the first.
TEST(RegFile, ManyValuesAndARepeatFarDown) {
    std::string text = "REGEDIT4\n[HKEY_CURRENT_USER\\software\\x]\n";
    for (int i = 0; i < 100000; ++i) text += "\"v" + std::to_string(i) + "\"=dword:00000001\n";
    EXPECT_EQ(parsed(text).values.size(), 100000u);
    text += "\"V7\"=\"again\"\n";
    RegFileKey key;
    RegFileError error;
    EXPECT_FALSE(parseRegFile(text, key, error));
    EXPECT_EQ(error.line, 100003u);
    EXPECT_NE(error.what.find("line 10"), std::string::npos) << error.what;
}

TEST(RegistryValues, Utf16TextConversions) {
    // "A" + U+00E9 + U+1F600 (a surrogate pair) + NUL
    std::vector<uint8_t> data = utf16Data("A\xC3\xA9\xF0\x9F\x98\x80");
    EXPECT_EQ(data, (std::vector<uint8_t>{'A', 0, 0xE9, 0, 0x3D, 0xD8, 0x00, 0xDE, 0, 0}));
    EXPECT_EQ(textOfUtf16(data), "A\xC3\xA9\xF0\x9F\x98\x80");
    EXPECT_EQ(utf16Data(""), (std::vector<uint8_t>{0, 0}));
    EXPECT_EQ(textOfUtf16({}), "");
    EXPECT_EQ(textOfUtf16({'E', 0, 'N', 0, 0, 0, 'X', 0}), "EN");  // ends at the first NUL
    EXPECT_EQ(textOfUtf16({'E', 0, 'N'}), "E");                    // an odd last byte is no unit
    EXPECT_EQ(textOfUtf16({0x00, 0xD8, 'A', 0}),
              "\xEF\xBF\xBD"
              "A");                                                          // an unpaired surrogate
    EXPECT_EQ(utf16Data("\xFF"), (std::vector<uint8_t>{0xFD, 0xFF, 0, 0}));  // invalid UTF-8
    EXPECT_EQ(dwordValue(0x00010E8F).data, (std::vector<uint8_t>{0x8F, 0x0E, 0x01, 0x00}));
}

}  // namespace
}  // namespace orvix
