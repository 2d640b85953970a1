#include "app/settings/RegFile.h"

#include <cstdio>
#include <string_view>
#include <unordered_map>

#include "app/settings/RegistryValues.h"
#include "core/AsciiText.h"

namespace orvix {

namespace {

constexpr const char* kRoot = "HKEY_CURRENT_USER";
constexpr size_t kLineWidth = 76;  // hex lists wrap like the registry's own export

bool isBlank(char c) { return c == ' ' || c == '\t'; }

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
        std::string token = trimBlanks(body.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
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

bool parseRegFile(const std::string& input, RegFileKey& key, RegFileError& error) {
    key = {};
    std::string_view text(input);
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    std::vector<std::string_view> lines;  // views into the input: no copy of it
    for (size_t start = 0; start <= text.size();) {
        size_t end = text.find('\n', start);
        std::string_view line = text.substr(start, end == std::string_view::npos ? end : end - start);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        lines.push_back(line);
        if (end == std::string_view::npos) break;
        start = end + 1;
    }

    auto fail = [&](size_t line, std::string what) {
        error = {line, std::move(what)};
        key = {};
        return false;
    };
    std::unordered_map<std::string, size_t> valueLines;  // each value's name, lowered: where it was given
    bool header = false;
    for (size_t i = 0; i < lines.size(); ++i) {
        size_t number = i + 1;
        std::string line = trimBlanks(lines[i]);
        if (line.empty() || line[0] == ';') continue;
        if (!validUtf8(line)) return fail(number, "the line is not UTF-8 text");
        if (!header) {
            if (line != "REGEDIT4" && line != "Windows Registry Editor Version 5.00")
                return fail(number, "the file must begin with the line REGEDIT4");
            header = true;
            continue;
        }
        if (line[0] == '[') {
            if (line.back() != ']') return fail(number, "the key line must end with ]");
            if (key.pathLine) return fail(number, "a second key; this file holds only the key of line " + std::to_string(key.pathLine));
            std::string name = line.substr(1, line.size() - 2);
            if (!name.empty() && name[0] == '-') return fail(number, "a key deletion ([-...]) has no place in a stored key");
            size_t slash = name.find('\\');
            if (!equalsIgnoringAsciiCase(name.substr(0, slash), kRoot) || slash == std::string::npos || slash + 1 == name.size())
                return fail(number, "the key must be a key of HKEY_CURRENT_USER ([HKEY_CURRENT_USER\\...])");
            key.path = name.substr(slash + 1);
            key.pathLine = number;
            continue;
        }
        if (!key.pathLine) return fail(number, "a value before the key line [HKEY_CURRENT_USER\\...]");

        RegFileValue v;
        size_t pos = 0;
        std::string what;
        if (line[0] == '@') {
            pos = 1;
        } else if (line[0] == '"') {
            if (!parseQuoted(line, pos, v.name, what)) return fail(number, "value name: " + what);
        } else {
            return fail(number, "a value line begins with its name in double quotes, or @");
        }
        while (pos < line.size() && isBlank(line[pos])) ++pos;
        if (pos >= line.size() || line[pos] != '=') return fail(number, "= is missing after the value name");
        ++pos;
        while (pos < line.size() && isBlank(line[pos])) ++pos;

        if (pos < line.size() && line[pos] == '"') {
            std::string s;
            if (!parseQuoted(line, pos, s, what)) return fail(number, what);
            if (!onlyCommentFrom(line, pos)) return fail(number, "unexpected text after the closing double quote");
            v.value = stringValue(s);
        } else if (startsWithIgnoringAsciiCase(std::string_view(line).substr(pos), "dword:")) {
            pos += 6;
            uint32_t n = 0;
            size_t digits = 0;
            for (int d; pos < line.size() && (d = hexDigit(line[pos])) >= 0; ++pos, ++digits) n = n * 16 + static_cast<uint32_t>(d);
            if (digits == 0 || digits > 8 || !onlyCommentFrom(line, pos))
                return fail(number, "dword: takes one to eight hex digits");
            v.value = dwordValue(n);
        } else if (startsWithIgnoringAsciiCase(std::string_view(line).substr(pos), "hex")) {
            pos += 3;
            uint32_t type = kRegBinary;
            if (pos < line.size() && line[pos] == '(') {
                size_t close = line.find(')', pos);
                std::string t = close == std::string::npos ? "" : line.substr(pos + 1, close - pos - 1);
                type = 0;
                bool good = !t.empty() && t.size() <= 8;
                for (char c : t) {
                    int d = hexDigit(c);
                    if (d < 0) good = false;
                    else type = type * 16 + static_cast<uint32_t>(d);
                }
                if (!good) return fail(number, "hex(N): takes the type N in hex digits");
                pos = close + 1;
            }
            if (pos >= line.size() || line[pos] != ':') return fail(number, ": is missing after hex");
            std::string list = line.substr(pos + 1);
            // A backslash at the end continues the list on the next line.
            while (!list.empty() && list.back() == '\\') {
                list.pop_back();
                std::string next = ++i < lines.size() ? trimBlanks(lines[i]) : "";
                if (next.empty() && i + 1 >= lines.size()) return fail(number, "the hex list continues past the end of the file");
                if (next.empty()) return fail(i + 1, "the hex list continues on an empty line");
                list += next;
            }
            if (!parseHexBytes(list, v.value.data, what)) return fail(number, what);
            v.value.type = type;
        } else if (pos < line.size() && line[pos] == '-') {
            return fail(number, "a value deletion (=-) has no place in a stored key");
        } else {
            return fail(number, "the data must be \"text\", dword:, hex: or hex(N):");
        }
        auto [given, fresh] = valueLines.emplace(asciiLowered(v.name), number);
        if (!fresh)
            return fail(number,
                        "the value " + quote(v.name) + " was already given on line " + std::to_string(given->second));
        key.values.push_back(std::move(v));
    }
    if (!header) return fail(1, "the file is empty; it must begin with the line REGEDIT4");
    return true;
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
            uint32_t n = value.data[0] | value.data[1] << 8 | value.data[2] << 16 | static_cast<uint32_t>(value.data[3]) << 24;
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
