#pragma once
// Conversions between the registry's value data and what the program works with.

#include <cstdint>
#include <string>
#include <vector>

#include "app/settings/Registry.h"

namespace orvix {

// UTF-8 text to UTF-16LE code units with the terminating NUL: (length + 1) * 2 bytes.
// Invalid UTF-8 becomes U+FFFD.
std::vector<uint8_t> utf16Data(const std::string& utf8);
// UTF-16LE data to UTF-8 text, ending at the first NUL (or the data's end). An odd last byte is
// ignored; unpaired surrogates become U+FFFD.
std::string textOfUtf16(const std::vector<uint8_t>& data);
// Strict form for exact round trips: false unless every code unit pairs up (odd size, unpaired
// surrogates fail). Converts all code units, NULs included.
bool utf16ToUtf8(const uint8_t* data, size_t size, std::string& utf8);
// Strict form: false on invalid UTF-8.
bool utf8ToUtf16(const std::string& utf8, std::u16string& utf16);

// A REG_SZ (or another string type) value holding `utf8`.
RegValue stringValue(const std::string& utf8, uint32_t type = kRegSz);
// A REG_DWORD value, 4 bytes little-endian.
RegValue dwordValue(uint32_t value);

}  // namespace orvix
