// Caption catalogues of any bytes: whatever the encoding, every text handed to the windows is
// valid UTF-8, lookups find the first line of a key, and menu entry values and tag integers read
// without fault.
#include <algorithm>
#include <cstring>
#include <string>

#include "core/AsciiText.h"
#include "fuzz/FuzzCheck.h"
#include "lang/CaptionCatalogue.h"

namespace {

bool validUtf8(const std::string& text) {
    return orvix::isValidUtf8(reinterpret_cast<const uint8_t*>(text.data()), text.size());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace orvix;
    fuzz::TimePerByte bound(size, 5);
    std::vector<uint8_t> bytes(data, data + size);
    CaptionCatalogue catalogue = CaptionCatalogue::fromBytes(bytes);
    FUZZ_CHECK(validUtf8(catalogue.text()));
    FUZZ_CHECK(validUtf8(captionLocale(catalogue)));

    std::vector<std::string> lines = catalogue.lines();
    std::vector<std::string> seen;  // bounded: the check, not the reader, would be quadratic
    const size_t maxSeen = 64;
    for (const std::string& line : lines) {
        FUZZ_CHECK(validUtf8(line));
        FUZZ_CHECK(line.find('\n') == std::string::npos && line.find('\r') == std::string::npos);
        size_t equals = line.find('=');
        if (equals == std::string::npos) continue;
        std::string key = line.substr(0, equals), value = line.substr(equals + 1);
        bool first = std::none_of(seen.begin(), seen.end(),
                                  [&](const std::string& k) { return equalsIgnoringAsciiCase(k, key); });
        bool known = seen.size() < maxSeen;  // every earlier key is in seen
        if (known) seen.push_back(key);
        std::string found = catalogue.value(key, "\x01");
        FUZZ_CHECK(validUtf8(found) || found == "\x01");
        if (known && first) FUZZ_CHECK(found == (value.empty() ? "\x01" : value));
        // Letter case of the key does not matter.
        FUZZ_CHECK(catalogue.value(asciiLowered(key), "\x01") == found);

        if (auto entry = parseMenuEntryValue(value)) {
            FUZZ_CHECK(validUtf8(entry->hint) && validUtf8(entry->caption));
            // What is written back reads as the same entry when its parts hold no brackets or bars.
            MenuEntryValue clean = *entry;
            if (clean.hint.find_first_of("]|") == std::string::npos && clean.tag >= 0) {
                auto again = parseMenuEntryValue(formatMenuEntryValue(clean));
                FUZZ_CHECK(again && again->hint == clean.hint && again->caption == clean.caption &&
                           again->tag == clean.tag);
            }
        }
    }

    // Tag integers: any text gives a number; the decimal and hexadecimal forms of one read back.
    readTagInteger(std::string(reinterpret_cast<const char*>(data), size));
    if (size >= 4) {
        int32_t n;
        std::memcpy(&n, data, 4);
        FUZZ_CHECK(readTagInteger(std::to_string(n)) == n);
        char hex[16];
        std::snprintf(hex, sizeof hex, "$%X", static_cast<uint32_t>(n));
        FUZZ_CHECK(readTagInteger(hex) == n);
    }
    return 0;
}
