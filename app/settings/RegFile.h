#pragma once
// The text of a .reg file holding one key of HKEY_CURRENT_USER, in the registry's own export
// format, so every value keeps its type:
//
//   REGEDIT4
//
//   [HKEY_CURRENT_USER\software\Quano\OrvixMouseV1\Config]
//   "Lang"="EN"
//   "VID"=dword:00000e8f
//
// A string whose data is exactly UTF-16 text plus one terminating NUL is written as "text" in
// UTF-8; everything else as hex bytes of the data (hex: binary, hex(2): expandable string,
// hex(N): type N), so odd sizes, missing NULs and zero-size data survive a round trip.
// Read also: comments (;), CRLF, blank lines, upper-case hex, blanks around '=', escaped \" and
// \\, hex lists continued on the next line after a backslash, a UTF-8 byte-order mark, and the
// header "Windows Registry Editor Version 5.00".

#include <cstddef>
#include <string>
#include <vector>

#include "app/settings/Registry.h"

namespace orvix {

struct RegFileValue {
    std::string name;  // UTF-8; empty for the default value (@)
    RegValue value;
};

struct RegFileKey {
    std::string path;                  // after "HKEY_CURRENT_USER\", as the file spells it; empty when it names none
    size_t pathLine = 0;               // the line that names it
    std::vector<RegFileValue> values;  // in file order

    // The value of that name, compared without regard to ASCII letter case; null when none.
    RegFileValue* find(const std::string& name);
    const RegFileValue* find(const std::string& name) const;
};

struct RegFileError {
    size_t line = 0;  // 1-based
    std::string what;
};

// Parses one key's file. On failure `error` names the first offending line.
bool parseRegFile(const std::string& text, RegFileKey& key, RegFileError& error);
// The file text for the key (LF line ends, a blank line at the end, as the registry writes it).
std::string formatRegFile(const RegFileKey& key);
// Value names that formatRegFile can write: UTF-8 without line breaks.
bool storableValueName(const std::string& name);

}  // namespace orvix
