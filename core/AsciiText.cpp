#include "core/AsciiText.h"

namespace orvix {

namespace {

template <class Trimmed>
std::string trimmed(std::string_view text, Trimmed isTrimmed) {
    size_t b = 0, e = text.size();
    while (b < e && isTrimmed(static_cast<unsigned char>(text[b]))) ++b;
    while (e > b && isTrimmed(static_cast<unsigned char>(text[e - 1]))) --e;
    return std::string(text.substr(b, e - b));
}

}  // namespace

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::optional<uint32_t> hexToken(std::string_view token) {
    if (token.empty()) return std::nullopt;
    uint64_t value = 0;
    for (char c : token) {
        int digit = hexDigit(c);
        if (digit < 0) return std::nullopt;
        value = value * 16 + static_cast<uint64_t>(digit);
        if (value > 0xFFFFFFFFu) return std::nullopt;
    }
    return static_cast<uint32_t>(value);
}

char asciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

std::string asciiLowered(std::string text) {
    for (char& c : text) c = asciiLower(c);
    return text;
}

bool equalsIgnoringAsciiCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (asciiLower(a[i]) != asciiLower(b[i])) return false;
    return true;
}

bool startsWithIgnoringAsciiCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && equalsIgnoringAsciiCase(text.substr(0, prefix.size()), prefix);
}

std::string trimControl(std::string_view text) {
    return trimmed(text, [](unsigned char c) { return c <= ' '; });
}

bool isBlank(char c) { return c == ' ' || c == '\t'; }

std::string trimBlanks(std::string_view text) {
    return trimmed(text, [](unsigned char c) { return isBlank(static_cast<char>(c)); });
}

}  // namespace orvix
