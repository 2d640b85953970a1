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

uint8_t tokenByte(std::string_view token) { return static_cast<uint8_t>(hexToken(token).value_or(0) & 0xFF); }

bool isControl(char c) { return static_cast<unsigned char>(c) <= ' '; }

}  // namespace

// Views into the text, never copies of its rest: a pasted text of megabytes reads in one pass.
TByteDynArray hexToBytes(const std::string& text) {
    TByteDynArray bytes;
    std::string_view rest = text;
    while (!rest.empty()) {
        while (!rest.empty() && isControl(rest.front())) rest.remove_prefix(1);
        while (!rest.empty() && isControl(rest.back())) rest.remove_suffix(1);
        size_t blank = rest.find(' ');
        if (blank == std::string_view::npos) {
            bytes.push_back(tokenByte(rest));
            break;
        }
        bytes.push_back(tokenByte(rest.substr(0, blank)));
        rest.remove_prefix(blank + 1);
    }
    return bytes;
}

}  // namespace orvix
