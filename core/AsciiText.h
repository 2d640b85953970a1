#pragma once
// The ASCII side of the system's text formats: hexadecimal digits, names compared without regard
// to letter case, and trimmed lines. Only A to Z fold; every other byte, UTF-8 included, compares
// and passes through exactly.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace orvix {

// The value of one hexadecimal digit of either case; -1 for any other character.
int hexDigit(char c);

// A token of hexadecimal digits only (either case, leading zeros allowed) whose value fits 32 bits;
// nothing for anything else, the empty token included.
std::optional<uint32_t> hexToken(std::string_view token);

char asciiLower(char c);
std::string asciiLowered(std::string text);
bool equalsIgnoringAsciiCase(std::string_view a, std::string_view b);
bool startsWithIgnoringAsciiCase(std::string_view text, std::string_view prefix);

// Without the characters of code 32 or lower (blanks, tabs, line ends, control characters) at both
// ends.
std::string trimControl(std::string_view text);
// A blank or a tab, and text without them at both ends.
bool isBlank(char c);
std::string trimBlanks(std::string_view text);

}  // namespace orvix
