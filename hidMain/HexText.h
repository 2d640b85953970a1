#pragma once
// The console's byte notation: two upper-case hexadecimal digits and one blank per byte.

#include <string>

#include "core/ByteArray.h"

namespace orvix {

std::string bytesToHex(const TByteDynArray& bytes);

// Blank-separated hexadecimal numbers to bytes (low 8 bits of each); a bad token gives 0.
// Only blanks separate; a text of white space only gives one 0; the empty text gives nothing.
TByteDynArray hexToBytes(const std::string& text);

}  // namespace orvix
