#pragma once
// Text files as the caption catalogues and language names are kept: the byte-order mark decides
// the encoding (UTF-8, UTF-16 LE, UTF-16 BE); without one the platform's default text encoding
// (UTF-8 on Linux, the ANSI code page on Windows). Malformed text reads with U+FFFD in place of
// what cannot be decoded.

#include <cstdint>
#include <string>
#include <vector>

namespace orvix {

// The whole file as UTF-8 text, cut at the first NUL character.
std::string decodeText(const std::vector<uint8_t>& bytes);

// Lines ending at CR LF, a lone CR or a lone LF.
std::vector<std::string> splitLines(const std::string& text);

// Text without a byte-order mark, in the platform's default encoding, as UTF-8.
std::string decodeDefaultEncoding(const std::vector<uint8_t>& bytes);

// UTF-8 with every malformed sequence replaced by U+FFFD.
std::string sanitizeUtf8(const std::string& bytes);

// Text files larger than this are refused: no catalogue or help page comes near it.
inline constexpr size_t maxTextFileSize = 16u << 20;

// Reads a whole file for reading only, refusing writers while it reads where the platform can.
// On failure returns false and puts the system's reason in error.
bool readWholeFile(const std::string& path, std::vector<uint8_t>& bytes, std::string& error);

}  // namespace orvix
