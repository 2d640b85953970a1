#include "lang/TextDecoding.h"

namespace orvix {

namespace {

const char* const replacement = "\xEF\xBF\xBD";

// windows-1252 at 0x80..0x9F; the rest is ISO 8859-1.
const char16_t cp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

// The length of the well-formed UTF-8 sequence at data[i], 0 when it is malformed (cut off,
// overlong, a surrogate or beyond U+10FFFF).
size_t utf8SequenceAt(const uint8_t* data, size_t size, size_t i) {
    uint8_t b = data[i];
    size_t len = b < 0x80 ? 1 : (b >> 5) == 0x6 ? 2 : (b >> 4) == 0xE ? 3 : (b >> 3) == 0x1E ? 4 : 0;
    if (len == 0 || i + len > size) return 0;
    uint32_t cp = len == 1 ? b : len == 2 ? (b & 0x1F) : len == 3 ? (b & 0x0F) : (b & 0x07);
    for (size_t k = 1; k < len; ++k) {
        uint8_t c = data[i + k];
        if ((c & 0xC0) != 0x80) return 0;
        cp = cp << 6 | (c & 0x3F);
    }
    static const uint32_t least[] = {0, 0, 0x80, 0x800, 0x10000};
    if (cp < least[len] || (cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF) return 0;
    return len;
}

void appendCodePoint(std::string& out, uint32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

std::string decodeUtf16(const std::vector<uint8_t>& bytes, size_t start, bool bigEndian) {
    std::string out;
    auto unit = [&](size_t i) -> uint32_t {
        return bigEndian ? (bytes[i] << 8 | bytes[i + 1]) : (bytes[i + 1] << 8 | bytes[i]);
    };
    size_t i = start;
    for (; i + 1 < bytes.size(); i += 2) {
        uint32_t u = unit(i);
        if (u >= 0xD800 && u <= 0xDBFF && i + 3 < bytes.size()) {
            uint32_t low = unit(i + 2);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                appendCodePoint(out, 0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00));
                i += 2;
                continue;
            }
        }
        if (u >= 0xD800 && u <= 0xDFFF)
            out += replacement;  // a lone surrogate
        else
            appendCodePoint(out, u);
    }
    if (i < bytes.size()) out += replacement;  // an odd byte at the end
    return out;
}

}  // namespace

std::string sanitizeUtf8(const std::string& s) {
    const auto* data = reinterpret_cast<const uint8_t*>(s.data());
    std::string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size();) {
        if (size_t len = utf8SequenceAt(data, s.size(), i)) {
            out.append(s, i, len);
            i += len;
        } else {
            out += replacement;
            ++i;
        }
    }
    return out;
}

bool isValidUtf8(const uint8_t* data, size_t size) {
    for (size_t i = 0; i < size;) {
        size_t len = utf8SequenceAt(data, size, i);
        if (len == 0) return false;
        i += len;
    }
    return true;
}

char16_t windows1252Char(uint8_t byte) { return byte >= 0x80 && byte < 0xA0 ? cp1252High[byte - 0x80] : byte; }

std::string decodeWindows1252(const uint8_t* data, size_t size) {
    std::string out;
    out.reserve(size);
    for (size_t i = 0; i < size; ++i) appendCodePoint(out, windows1252Char(data[i]));
    return out;
}

std::string decodeUtf8OrDefault(const std::vector<uint8_t>& bytes) {
    if (isValidUtf8(bytes.data(), bytes.size())) return std::string(bytes.begin(), bytes.end());
    return decodeDefaultEncoding(bytes);
}

std::string decodeText(const std::vector<uint8_t>& bytes) {
    std::string text;
    if (bytes.size() >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF)
        text = sanitizeUtf8(std::string(bytes.begin() + 3, bytes.end()));
    else if (bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE)
        text = decodeUtf16(bytes, 2, false);
    else if (bytes.size() >= 2 && bytes[0] == 0xFE && bytes[1] == 0xFF)
        text = decodeUtf16(bytes, 2, true);
    else
        text = decodeDefaultEncoding(bytes);
    if (size_t nul = text.find('\0'); nul != std::string::npos) text.resize(nul);
    return text;
}

std::vector<std::string> splitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::string line;
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '\r' || c == '\n') {
            lines.push_back(line);
            line.clear();
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        } else {
            line += c;
        }
    }
    if (!line.empty()) lines.push_back(line);
    return lines;
}

}  // namespace orvix
