#include "app/settings/RegistryValues.h"

namespace orvix {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

void appendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

void appendUtf16(std::u16string& out, char32_t c) {
    if (c < 0x10000) {
        out += static_cast<char16_t>(c);
    } else {
        c -= 0x10000;
        out += static_cast<char16_t>(0xD800 + (c >> 10));
        out += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
    }
}

// Decodes one UTF-8 sequence at text[i]; false (and i past one byte) when it is invalid.
bool nextUtf8(const std::string& text, size_t& i, char32_t& c) {
    auto byte = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
    unsigned char b = byte(i);
    size_t length = b < 0x80 ? 1 : (b >> 5) == 6 ? 2 : (b >> 4) == 14 ? 3 : (b >> 3) == 30 ? 4 : 0;
    if (length == 0 || i + length > text.size()) {
        ++i;
        return false;
    }
    char32_t value = length == 1 ? b : b & (0x7F >> length);
    for (size_t k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80) {
            ++i;
            return false;
        }
        value = (value << 6) | (byte(i + k) & 0x3F);
    }
    static constexpr char32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (value < kSmallest[length] || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
        ++i;
        return false;
    }
    i += length;
    c = value;
    return true;
}

uint16_t unitAt(const uint8_t* data, size_t k) { return static_cast<uint16_t>(data[2 * k] | (data[2 * k + 1] << 8)); }

// Decodes UTF-16LE units [0, count); strict: fail on an unpaired surrogate, else replace it.
bool decodeUtf16(const uint8_t* data, size_t count, bool strict, bool stopAtNul, std::string& out) {
    for (size_t k = 0; k < count; ++k) {
        char32_t u = unitAt(data, k);
        if (u == 0 && stopAtNul) break;
        if (u >= 0xD800 && u <= 0xDBFF && k + 1 < count) {
            char32_t low = unitAt(data, k + 1);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                appendUtf8(out, 0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00));
                ++k;
                continue;
            }
        }
        if (u >= 0xD800 && u <= 0xDFFF) {
            if (strict) return false;
            u = kReplacement;
        }
        appendUtf8(out, u);
    }
    return true;
}

}  // namespace

bool utf8ToUtf16(const std::string& utf8, std::u16string& utf16) {
    utf16.clear();
    for (size_t i = 0; i < utf8.size();) {
        char32_t c;
        if (!nextUtf8(utf8, i, c)) return false;
        appendUtf16(utf16, c);
    }
    return true;
}

bool utf16ToUtf8(const uint8_t* data, size_t size, std::string& utf8) {
    utf8.clear();
    if (size % 2) return false;
    return decodeUtf16(data, size / 2, true, false, utf8);
}

std::vector<uint8_t> utf16Data(const std::string& utf8) {
    std::u16string units;
    for (size_t i = 0; i < utf8.size();) {
        char32_t c;
        appendUtf16(units, nextUtf8(utf8, i, c) ? c : kReplacement);
    }
    units += u'\0';
    std::vector<uint8_t> data;
    data.reserve(units.size() * 2);
    for (char16_t u : units) {
        data.push_back(static_cast<uint8_t>(u & 0xFF));
        data.push_back(static_cast<uint8_t>(u >> 8));
    }
    return data;
}

std::string textOfUtf16(const std::vector<uint8_t>& data) {
    std::string text;
    decodeUtf16(data.data(), data.size() / 2, false, true, text);
    return text;
}

RegValue stringValue(const std::string& utf8, uint32_t type) { return {type, utf16Data(utf8)}; }

RegValue dwordValue(uint32_t value) {
    return {kRegDword,
            {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8), static_cast<uint8_t>(value >> 16),
             static_cast<uint8_t>(value >> 24)}};
}

}  // namespace orvix
