// What the Linux backend reads from sysfs, of any bytes: a uevent file, its HID_ID and the short
// hex numbers. Parsed without fault, and what is read back from its own text is itself.
#include <cstdio>
#include <string>

#include "fuzz/FuzzCheck.h"
#include "hid/linux/SysfsHid.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace orvix::linuxhid;
    std::string_view text(reinterpret_cast<const char*>(data), size);
    auto values = parseUevent(text);
    std::string again;
    for (const auto& [key, value] : values) {
        FUZZ_CHECK(!key.empty() && key.find_first_of("=\n") == std::string::npos);
        FUZZ_CHECK(value.find('\n') == std::string::npos);
        again += key + "=" + value + "\n";
    }
    FUZZ_CHECK(parseUevent(again) == values);

    std::string hidId = values.count("HID_ID") ? values["HID_ID"] : "";
    for (std::string_view candidate : {text, std::string_view(hidId)}) {
        if (auto id = parseHidId(candidate)) {
            char spelled[32];
            std::snprintf(spelled, sizeof spelled, "%04X:%08X:%08X", id->bus, id->vendor, id->product);
            auto read = parseHidId(spelled);
            FUZZ_CHECK(read && read->bus == id->bus && read->vendor == id->vendor && read->product == id->product);
        }
    }
    if (auto number = parseHex16(text)) {
        char spelled[8];
        std::snprintf(spelled, sizeof spelled, "%04x\n", *number);
        FUZZ_CHECK(parseHex16(spelled) == number);
    }
    return 0;
}
