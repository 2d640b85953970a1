#pragma once
// File and folder names looked up without regard to ASCII letter case, as on the platform
// where language folders were first kept.

#include <filesystem>
#include <string>

namespace orvix {

// Paths to and from UTF-8 text, the same on every platform.
std::filesystem::path utf8Path(const std::string& text);
std::string utf8String(const std::filesystem::path& path);

// Whether a name can name an entry of a folder: not empty, no path separator, not "." or "..".
bool isEntryName(const std::string& name);

enum class EntryKind { File, Folder };

// The path of the regular file (or the folder) in folder whose name equals name without regard
// to ASCII case: the exact spelling first, else the lowest matching name. Empty when there is none
// or name is no entry name. Links count as what they point to; a FIFO, a device or a socket is
// no file, so nothing ever waits on one.
std::string findIgnoringCase(const std::string& folder, const std::string& name, EntryKind kind);

// Ordered as names are listed: ASCII letters without regard to case, then byte by byte.
bool entryNameLess(const std::string& a, const std::string& b);

}  // namespace orvix
