#pragma once
// The console's byte notation: two upper-case hexadecimal digits and one blank per byte.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace orvix {

using TByteDynArray = std::vector<uint8_t>;

std::string bytesToHex(const TByteDynArray& bytes);

// Blank-separated hexadecimal numbers to bytes (low 8 bits of each); a bad token gives 0.
// Only blanks separate; a text of white space only gives one 0; the empty text gives nothing.
TByteDynArray hexToBytes(const std::string& text);

// One token: hexadecimal digits only (either case), value within 32 bits; otherwise nothing.
std::optional<uint32_t> hexToken(const std::string& token);

}  // namespace orvix
