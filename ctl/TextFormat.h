#pragma once
// Small text forms the commands share.

#include <cstdint>
#include <string>

namespace orvix {

// Four upper-case hexadecimal digits.
std::string hex4(uint32_t value);
// A JSON string literal, quotes included.
std::string jsonString(const std::string& text);
// Seconds as the user gave them ("3", "0.5").
std::string secondsText(double seconds);

}  // namespace orvix
