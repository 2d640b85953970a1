#include "hidMain/HexText.h"

namespace orvix {

std::string bytesToHex(const TByteDynArray& bytes) {
    static const char digits[] = "0123456789ABCDEF";
    std::string text;
    text.reserve(bytes.size() * 3);
    for (uint8_t b : bytes) {
        text += digits[b >> 4];
        text += digits[b & 0x0F];
        text += ' ';
    }
    return text;
}

std::optional<uint32_t> hexToken(const std::string& token) {
    if (token.empty()) return std::nullopt;
    uint64_t value = 0;
    for (char c : token) {
        int digit;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else
            return std::nullopt;
        value = value * 16 + static_cast<uint64_t>(digit);
        if (value > 0xFFFFFFFFu) return std::nullopt;
    }
    return static_cast<uint32_t>(value);
}

namespace {

// White space and control characters, as trimmed from both ends of the remaining text.
bool isTrimmed(char c) { return static_cast<unsigned char>(c) <= ' '; }

std::string trim(const std::string& s) {
    size_t b = 0, e = s.size();
    while (b < e && isTrimmed(s[b])) ++b;
    while (e > b && isTrimmed(s[e - 1])) --e;
    return s.substr(b, e - b);
}

uint8_t tokenByte(const std::string& token) { return static_cast<uint8_t>(hexToken(token).value_or(0) & 0xFF); }

}  // namespace

TByteDynArray hexToBytes(const std::string& text) {
    TByteDynArray bytes;
    std::string rest = text;
    while (!rest.empty()) {
        rest = trim(rest);
        size_t blank = rest.find(' ');
        if (blank == std::string::npos) {
            bytes.push_back(tokenByte(rest));
            break;
        }
        bytes.push_back(tokenByte(rest.substr(0, blank)));
        rest = rest.substr(blank + 1);
    }
    return bytes;
}

}  // namespace orvix
