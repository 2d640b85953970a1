#include "lang/CaptionCatalogue.h"

#include <climits>

#include "core/AsciiText.h"
#include "lang/TextDecoding.h"

namespace orvix {

namespace {

// Length of the UTF-8 character that starts at s[i].
size_t charLength(const std::string& s, size_t i) {
    auto b = static_cast<unsigned char>(s[i]);
    size_t len = b < 0x80 ? 1 : (b >> 5) == 0x6 ? 2 : (b >> 4) == 0xE ? 3 : (b >> 3) == 0x1E ? 4 : 1;
    return std::min(len, s.size() - i);
}

// FNV-1a of the key with A to Z lowered.
uint32_t keyHash(std::string_view key) {
    uint32_t hash = 2166136261u;
    for (char c : key) hash = (hash ^ static_cast<uint8_t>(asciiLower(c))) * 16777619u;
    return hash;
}

// The text with every line end made one LF, and no line end after the last line.
std::string joinedLines(std::string text) {
    size_t out = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '\r') {
            if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
            c = '\n';
        }
        text[out++] = c;
    }
    text.resize(out);
    if (!text.empty() && text.back() == '\n') text.pop_back();
    return text;
}

}  // namespace

CaptionCatalogue::CaptionCatalogue(const std::vector<std::string>& lines) {
    for (size_t i = 0; i < lines.size(); ++i) {
        if (i) text_ += '\n';
        text_ += lines[i];
    }
    buildIndex();
}

CaptionCatalogue CaptionCatalogue::fromBytes(const std::vector<uint8_t>& bytes) {
    CaptionCatalogue catalogue;
    catalogue.text_ = joinedLines(decodeText(bytes));
    catalogue.buildIndex();
    return catalogue;
}

bool CaptionCatalogue::load(const std::string& path, FileError& error) {
    std::vector<uint8_t> bytes;
    if (!readWholeFile(path, bytes, error)) return false;
    *this = fromBytes(bytes);
    return true;
}

std::vector<std::string> CaptionCatalogue::lines() const {
    return text_.empty() ? std::vector<std::string>{} : splitLines(text_ + "\n");
}

std::string CaptionCatalogue::takeText() {
    index_.clear();
    return std::move(text_);
}

std::string_view CaptionCatalogue::keyAt(uint32_t offset) const {
    std::string_view rest(text_);
    rest.remove_prefix(offset);
    return rest.substr(0, rest.find_first_of("=\n"));
}

void CaptionCatalogue::buildIndex() {
    index_.clear();
    if (text_.size() >= UINT32_MAX) return;  // far beyond what a file may hold
    // Only lines with "=" carry a key.
    std::vector<uint32_t> keyed;
    for (size_t start = 0; start <= text_.size();) {
        size_t end = text_.find('\n', start);
        if (end == std::string::npos) end = text_.size();
        if (std::string_view(text_).substr(start, end - start).find('=') != std::string_view::npos)
            keyed.push_back(static_cast<uint32_t>(start));
        start = end + 1;
    }
    size_t capacity = 16;
    while (capacity < keyed.size() * 2) capacity *= 2;
    index_.assign(capacity, 0);
    const size_t mask = capacity - 1;
    for (uint32_t offset : keyed) {
        std::string_view key = keyAt(offset);
        for (size_t slot = keyHash(key) & mask;; slot = (slot + 1) & mask) {
            if (index_[slot] == 0) {
                index_[slot] = offset + 1;
                break;
            }
            if (equalsIgnoringAsciiCase(keyAt(index_[slot] - 1), key)) break;  // the first line of a key wins
        }
    }
}

std::string CaptionCatalogue::langValue(const std::string& section, const std::string& name,
                                        const std::string& def) const {
    return value(section + "." + name, def);
}

std::string CaptionCatalogue::value(const std::string& key, const std::string& def) const {
    if (index_.empty()) return def;
    const size_t mask = index_.size() - 1;
    for (size_t slot = keyHash(key) & mask; index_[slot] != 0; slot = (slot + 1) & mask) {
        uint32_t offset = index_[slot] - 1;
        std::string_view found = keyAt(offset);
        if (!equalsIgnoringAsciiCase(found, key)) continue;
        std::string_view rest(text_);
        rest.remove_prefix(offset + found.size() + 1);
        std::string value(rest.substr(0, rest.find('\n')));
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

void addCaptionLine(std::vector<std::string>& list, const std::string& section, const std::string& name,
                    const std::string& value) {
    std::string trimmed = trimControl(value);
    if (!trimmed.empty()) list.push_back(section + "." + name + "=" + trimmed);
}

}  // namespace orvix
