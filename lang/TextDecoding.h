#pragma once
// Text files as the caption catalogues and language names are kept: the byte-order mark decides
// the encoding (UTF-8, UTF-16 LE, UTF-16 BE); without one the platform's default text encoding
// (the ANSI code page on Windows; on Linux UTF-8, or Windows-1252 for text that is not valid
// UTF-8). Malformed text reads with U+FFFD in place of what cannot be decoded.

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
// Text without a byte-order mark that may have been written anywhere (help pages): UTF-8 when it
// is valid UTF-8, else the platform's default encoding.
std::string decodeUtf8OrDefault(const std::vector<uint8_t>& bytes);

// UTF-8 with every malformed sequence replaced by U+FFFD.
std::string sanitizeUtf8(const std::string& bytes);
bool isValidUtf8(const uint8_t* data, size_t size);
// Windows-1252: one byte's character (its five unassigned bytes keep their C1 code points), and
// whole text as UTF-8.
char16_t windows1252Char(uint8_t byte);
std::string decodeWindows1252(const uint8_t* data, size_t size);

// Caption catalogues larger than this are refused: no real one comes near it.
inline constexpr size_t maxTextFileSize = 16u << 20;
// Help pages: a word-processor page with a few photos is tens of megabytes as RTF; the reader
// bounds what it keeps, so this only keeps a runaway file from taking all memory.
inline constexpr size_t maxHelpPageSize = size_t(1) << 30;

// Why a file could not be read.
struct FileError {
    enum Kind {
        None,
        Missing,   // no such file
        NotAFile,  // a folder, FIFO, device or socket: treated as missing, never waited on
        Denied,    // this user may not read it
        TooLarge,  // more than the limit
        Other,
    };
    Kind kind = None;
    std::string reason;  // the system's text
};

// Reads a whole regular file for reading only, refusing writers while it reads where the
// platform can. Opening never waits: anything but a regular file is refused as NotAFile.
bool readWholeFile(const std::string& path, std::vector<uint8_t>& bytes, FileError& error,
                   size_t limit = maxTextFileSize);

}  // namespace orvix
