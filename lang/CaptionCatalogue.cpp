#include "lang/CaptionCatalogue.h"

#include <climits>

#include "lang/TextDecoding.h"

namespace orvix {

namespace {

char asciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool keyEquals(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (asciiLower(a[i]) != asciiLower(b[i])) return false;
    return true;
}

// Length of the UTF-8 character that starts at s[i].
size_t charLength(const std::string& s, size_t i) {
    auto b = static_cast<unsigned char>(s[i]);
    size_t len = b < 0x80 ? 1 : (b >> 5) == 0x6 ? 2 : (b >> 4) == 0xE ? 3 : (b >> 3) == 0x1E ? 4 : 1;
    return std::min(len, s.size() - i);
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

bool CaptionCatalogue::load(const std::string& path, std::string& error) {
    std::vector<uint8_t> bytes;
    if (!readWholeFile(path, bytes, error)) return false;
    lines_ = splitLines(decodeText(bytes));
    return true;
}

std::string CaptionCatalogue::langValue(const std::string& section, const std::string& name,
                                        const std::string& def) const {
    return value(section + "." + name, def);
}

std::string CaptionCatalogue::value(const std::string& key, const std::string& def) const {
    for (const std::string& line : lines_) {
        size_t eq = line.find('=');
        if (eq == std::string::npos || !keyEquals(line.substr(0, eq), key)) continue;
        std::string value = line.substr(eq + 1);
        return value.empty() ? def : value;
    }
    return def;
}

std::string captionLocale(const CaptionCatalogue& catalogue) { return trimControl(catalogue.value("langlocale", "")); }

std::string formatMenuEntryValue(const MenuEntryValue& value) {
    std::string text = "[" + value.hint;
    if (value.tag > 0) text += "|" + std::to_string(value.tag);
    return text + "]" + value.caption;
}

std::optional<MenuEntryValue> parseMenuEntryValue(const std::string& text) {
    size_t close = text.find(']');
    if (close == std::string::npos) return std::nullopt;
    MenuEntryValue value;
    value.caption = text.substr(close + 1);
    // The first character stands for "[" whatever it is.
    size_t first = close == 0 ? 0 : charLength(text, 0);
    std::string inner = first < close ? text.substr(first, close - first) : std::string();
    if (size_t bar = inner.find('|'); bar != std::string::npos) {
        value.tag = readTagInteger(inner.substr(bar + 1));
        inner.resize(bar);
    }
    value.hint = inner;
    return value;
}

int32_t readTagInteger(const std::string& text) {
    size_t i = 0;
    while (i < text.size() && text[i] == ' ') ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    bool hex = false;
    if (i < text.size() && (text[i] == '$' || text[i] == 'x' || text[i] == 'X')) {
        hex = true;
        ++i;
    } else if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        hex = true;
        i += 2;
    }
    if (i == text.size()) return 0;
    if (hex) {
        if (text.size() - i > 8) return 0;
        uint32_t v = 0;
        for (; i < text.size(); ++i) {
            int d = hexDigit(text[i]);
            if (d < 0) return 0;
            v = v << 4 | static_cast<uint32_t>(d);
        }
        int32_t pattern = static_cast<int32_t>(v);
        return negative ? static_cast<int32_t>(0u - v) : pattern;
    }
    int64_t v = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9') return 0;
        v = v * 10 + (text[i] - '0');
        if (v > static_cast<int64_t>(INT32_MAX) + 1) return 0;
    }
    if (negative) v = -v;
    if (v < INT32_MIN || v > INT32_MAX) return 0;
    return static_cast<int32_t>(v);
}

std::string trimControl(const std::string& text) {
    size_t b = 0, e = text.size();
    while (b < e && static_cast<unsigned char>(text[b]) <= 32) ++b;
    while (e > b && static_cast<unsigned char>(text[e - 1]) <= 32) --e;
    return text.substr(b, e - b);
}

void addCaptionLine(std::vector<std::string>& list, const std::string& section, const std::string& name,
                    const std::string& value) {
    std::string trimmed = trimControl(value);
    if (!trimmed.empty()) list.push_back(section + "." + name + "=" + trimmed);
}

}  // namespace orvix
