#include "app/settings/RegFile.h"

#include <cstdio>
#include <optional>
#include <string_view>
#include <unordered_map>

#include "app/settings/RegistryValues.h"
#include "core/AsciiText.h"

namespace orvix {

namespace {

constexpr const char* kRoot = "HKEY_CURRENT_USER";
constexpr size_t kLineWidth = 76;  // hex lists wrap like the registry's own export

// Nothing but blanks and perhaps a comment from pos on.
bool onlyCommentFrom(const std::string& s, size_t pos) {
    while (pos < s.size() && isBlank(s[pos])) ++pos;
    return pos == s.size() || s[pos] == ';';
}

// A quoted string at s[pos] (the opening quote); pos ends past the closing quote.
bool parseQuoted(const std::string& s, size_t& pos, std::string& out, std::string& what) {
    out.clear();
    for (size_t i = pos + 1; i < s.size(); ++i) {
        char c = s[i];
        if (c == '"') {
            pos = i + 1;
            return true;
        }
        if (c == '\\') {
            if (i + 1 < s.size() && (s[i + 1] == '\\' || s[i + 1] == '"')) {
                out += s[++i];
                continue;
            }
            what = "a backslash inside quotes must be doubled (\\\\) or escape a quote (\\\")";
            return false;
        }
        out += c;
    }
    what = "the closing double quote is missing";
    return false;
}

bool parseHexBytes(const std::string& list, std::vector<uint8_t>& data, std::string& what) {
    data.clear();
    std::string body = list.substr(0, list.find(';'));
    if (trimBlanks(body).empty()) return true;
    size_t start = 0;
    for (;;) {
        size_t comma = body.find(',', start);
        size_t length = comma == std::string::npos ? std::string::npos : comma - start;
        std::string token = trimBlanks(body.substr(start, length));
        bool last = comma == std::string::npos;
        if (token.empty() && last && !data.empty()) return true;  // a trailing comma
        int hi = token.size() >= 1 ? hexDigit(token[0]) : -1;
        int lo = token.size() == 2 ? hexDigit(token[1]) : 0;
        if (token.empty() || token.size() > 2 || hi < 0 || lo < 0) {
            what = "\"" + token + "\" is not a hex byte (two hex digits, separated by commas)";
            return false;
        }
        data.push_back(static_cast<uint8_t>(token.size() == 2 ? hi * 16 + lo : hi));
        if (last) return true;
        start = comma + 1;
    }
}

bool validUtf8(const std::string& s) {
    std::u16string ignored;
    return utf8ToUtf16(s, ignored);
}

std::string quote(const std::string& s) {
    std::string out = "\"";
    for (char c : s) {
        if (c == '"' || c == '\\') out += '\\';
        out += c;
    }
    return out + '"';
}

// The data as "text" when it is exactly UTF-16 text and one terminating NUL, without line breaks.
bool asPlainString(const std::vector<uint8_t>& data, std::string& text) {
    if (data.size() < 2 || data.size() % 2 || data[data.size() - 1] || data[data.size() - 2]) return false;
    if (!utf16ToUtf8(data.data(), data.size() - 2, text)) return false;
    return text.find_first_of(std::string("\r\n\0", 3)) == std::string::npos;
}

void appendHex(std::string& out, const std::string& head, const std::vector<uint8_t>& data) {
    std::string line = head;
    char byte[4];
    for (size_t i = 0; i < data.size(); ++i) {
        std::snprintf(byte, sizeof byte, "%02x", data[i]);
        bool more = i + 1 < data.size();
        if (line.size() + 3 > kLineWidth && more) {
            out += line + "\\\n";
            line = "  ";
        }
        line += byte;
        if (more) line += ',';
    }
    out += line + '\n';
}

}  // namespace

RegFileValue* RegFileKey::find(const std::string& name) {
    return const_cast<RegFileValue*>(static_cast<const RegFileKey*>(this)->find(name));
}

const RegFileValue* RegFileKey::find(const std::string& name) const {
    for (const auto& v : values)
        if (equalsIgnoringAsciiCase(v.name, name)) return &v;
    return nullptr;
}

bool storableValueName(const std::string& name) {
    return validUtf8(name) && name.find_first_of(std::string("\r\n\0", 3)) == std::string::npos;
}

namespace {

// The lines of a file as views into its text: no byte-order mark, no line ends, no copy.
std::vector<std::string_view> regFileLines(std::string_view text) {
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    std::vector<std::string_view> lines;
    for (size_t start = 0; start <= text.size();) {
        size_t end = text.find('\n', start);
        std::string_view line = text.substr(start, end == std::string_view::npos ? end : end - start);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        lines.push_back(line);
        if (end == std::string_view::npos) break;
        start = end + 1;
    }
    return lines;
}

// Reads one key's file line by line: a step for each kind of line (header, key, value) and for
// each form of value data (quoted text, dword:, hex: with its continuation lines). Every step
// that finds a fault stops the reading with the line it is on.
class RegFileReader {
public:
    RegFileReader(std::vector<std::string_view> lines, RegFileKey& key, RegFileError& error)
        : lines_(std::move(lines)), key_(key), error_(error) {}

    bool read() {
        for (i_ = 0; i_ < lines_.size(); ++i_) {
            number_ = i_ + 1;
            std::string line = trimBlanks(lines_[i_]);
            if (line.empty() || line[0] == ';') continue;
            if (!validUtf8(line)) return fail(number_, "the line is not UTF-8 text");
            bool good = !header_ ? headerLine(line) : line[0] == '[' ? keyLine(line) : valueLine(line);
            if (!good) return false;
        }
        if (!header_) return fail(1, "the file is empty; it must begin with the line REGEDIT4");
        return true;
    }

private:
    bool fail(size_t line, std::string what) {
        error_ = {line, std::move(what)};
        key_ = {};
        return false;
    }

    bool headerLine(const std::string& line) {
        if (line != "REGEDIT4" && line != "Windows Registry Editor Version 5.00")
            return fail(number_, "the file must begin with the line REGEDIT4");
        header_ = true;
        return true;
    }

    // [HKEY_CURRENT_USER\path]: the one key the file holds.
    bool keyLine(const std::string& line) {
        if (line.back() != ']') return fail(number_, "the key line must end with ]");
        if (key_.pathLine)
            return fail(number_, "a second key; this file holds only the key of line " + std::to_string(key_.pathLine));
        std::string name = line.substr(1, line.size() - 2);
        if (!name.empty() && name[0] == '-')
            return fail(number_, "a key deletion ([-...]) has no place in a stored key");
        size_t slash = name.find('\\');
        bool underRoot = slash != std::string::npos && equalsIgnoringAsciiCase(name.substr(0, slash), kRoot);
        if (!underRoot || slash + 1 == name.size())
            return fail(number_, "the key must be a key of HKEY_CURRENT_USER ([HKEY_CURRENT_USER\\...])");
        key_.path = name.substr(slash + 1);
        key_.pathLine = number_;
        return true;
    }

    // "name"=data or @=data.
    bool valueLine(const std::string& line) {
        if (!key_.pathLine) return fail(number_, "a value before the key line [HKEY_CURRENT_USER\\...]");
        RegFileValue v;
        size_t pos = 0;
        if (!valueName(line, pos, v.name)) return false;
        while (pos < line.size() && isBlank(line[pos])) ++pos;
        if (pos >= line.size() || line[pos] != '=') return fail(number_, "= is missing after the value name");
        ++pos;
        while (pos < line.size() && isBlank(line[pos])) ++pos;
        std::string_view data = std::string_view(line).substr(pos);
        bool good;
        if (!data.empty() && data[0] == '"')
            good = quotedData(line, pos, v.value);
        else if (startsWithIgnoringAsciiCase(data, "dword:"))
            good = dwordData(line, pos + 6, v.value);
        else if (startsWithIgnoringAsciiCase(data, "hex"))
            good = hexData(line, pos + 3, v.value);
        else if (!data.empty() && data[0] == '-')
            good = fail(number_, "a value deletion (=-) has no place in a stored key");
        else
            good = fail(number_, "the data must be \"text\", dword:, hex: or hex(N):");
        return good && addValue(std::move(v));
    }

    bool valueName(const std::string& line, size_t& pos, std::string& name) {
        if (line[0] == '@') {
            pos = 1;
            return true;
        }
        if (line[0] != '"') return fail(number_, "a value line begins with its name in double quotes, or @");
        std::string what;
        return parseQuoted(line, pos, name, what) || fail(number_, "value name: " + what);
    }

    // "text": a string value.
    bool quotedData(const std::string& line, size_t pos, RegValue& value) {
        std::string text, what;
        if (!parseQuoted(line, pos, text, what)) return fail(number_, what);
        if (!onlyCommentFrom(line, pos)) return fail(number_, "unexpected text after the closing double quote");
        value = stringValue(text);
        return true;
    }

    // dword:hhhhhhhh, pos after the colon.
    bool dwordData(const std::string& line, size_t pos, RegValue& value) {
        uint32_t n = 0;
        size_t digits = 0;
        for (int d; pos < line.size() && (d = hexDigit(line[pos])) >= 0; ++pos, ++digits)
            n = n * 16 + static_cast<uint32_t>(d);
        if (digits == 0 || digits > 8 || !onlyCommentFrom(line, pos))
            return fail(number_, "dword: takes one to eight hex digits");
        value = dwordValue(n);
        return true;
    }

    // hex:bytes or hex(N):bytes, pos after "hex"; the list may continue on the following lines.
    bool hexData(const std::string& line, size_t pos, RegValue& value) {
        uint32_t type = kRegBinary;
        if (pos < line.size() && line[pos] == '(' && !hexType(line, pos, type)) return false;
        if (pos >= line.size() || line[pos] != ':') return fail(number_, ": is missing after hex");
        std::string list = line.substr(pos + 1), what;
        if (!continuedList(list)) return false;
        if (!parseHexBytes(list, value.data, what)) return fail(number_, what);
        value.type = type;
        return true;
    }

    // (N) at pos: the value type in hex digits; pos ends past the ")".
    bool hexType(const std::string& line, size_t& pos, uint32_t& type) {
        size_t close = line.find(')', pos);
        std::string digits = close == std::string::npos ? "" : line.substr(pos + 1, close - pos - 1);
        std::optional<uint32_t> n = digits.size() <= 8 ? hexToken(digits) : std::nullopt;
        if (!n) return fail(number_, "hex(N): takes the type N in hex digits");
        type = *n;
        pos = close + 1;
        return true;
    }

    // A backslash at the end continues the list on the next line.
    bool continuedList(std::string& list) {
        while (!list.empty() && list.back() == '\\') {
            list.pop_back();
            std::string next = ++i_ < lines_.size() ? trimBlanks(lines_[i_]) : "";
            if (next.empty() && i_ + 1 >= lines_.size())
                return fail(number_, "the hex list continues past the end of the file");
            if (next.empty()) return fail(i_ + 1, "the hex list continues on an empty line");
            list += next;
        }
        return true;
    }

    // Each name once, without regard to ASCII case: a repeat names the line of the first.
    bool addValue(RegFileValue v) {
        auto [given, fresh] = valueLines_.emplace(asciiLowered(v.name), number_);
        if (!fresh)
            return fail(number_,
                        "the value " + quote(v.name) + " was already given on line " + std::to_string(given->second));
        key_.values.push_back(std::move(v));
        return true;
    }

    std::vector<std::string_view> lines_;  // views into the input
    size_t i_ = 0;                         // the line being read
    size_t number_ = 0;                    // its number, 1-based, where a value line began
    RegFileKey& key_;
    RegFileError& error_;
    bool header_ = false;
    std::unordered_map<std::string, size_t> valueLines_;  // each value's name, lowered: where it was given
};

}  // namespace

bool parseRegFile(const std::string& input, RegFileKey& key, RegFileError& error) {
    key = {};
    return RegFileReader(regFileLines(input), key, error).read();
}

std::string formatRegFile(const RegFileKey& key) {
    std::string out = "REGEDIT4\n\n[";
    out += kRoot;
    out += '\\' + key.path + "]\n";
    for (const auto& v : key.values) {
        std::string head = v.name.empty() ? "@=" : quote(v.name) + "=";
        const RegValue& value = v.value;
        std::string text;
        if (value.type == kRegSz && asPlainString(value.data, text)) {
            out += head + quote(text) + '\n';
        } else if (value.type == kRegDword && value.data.size() == 4) {
            char digits[16];
            uint32_t n =
                value.data[0] | value.data[1] << 8 | value.data[2] << 16 | static_cast<uint32_t>(value.data[3]) << 24;
            std::snprintf(digits, sizeof digits, "dword:%08x", n);
            out += head + digits + '\n';
        } else if (value.type == kRegBinary) {
            appendHex(out, head + "hex:", value.data);
        } else {
            char type[24];
            std::snprintf(type, sizeof type, "hex(%x):", value.type);
            appendHex(out, head + type, value.data);
        }
    }
    return out + '\n';
}

}  // namespace orvix
