#include "hidMain/HexText.h"

#include "core/AsciiText.h"

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

namespace {

uint8_t tokenByte(const std::string& token) { return static_cast<uint8_t>(hexToken(token).value_or(0) & 0xFF); }

}  // namespace

TByteDynArray hexToBytes(const std::string& text) {
    TByteDynArray bytes;
    std::string rest = text;
    while (!rest.empty()) {
        rest = trimControl(rest);
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
