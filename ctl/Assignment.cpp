#include "ctl/Assignment.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "core/AsciiText.h"
#include "ctl/CommandError.h"
#include "lang/TextDecoding.h"

namespace orvix {

namespace {

namespace fs = std::filesystem;

// A layout file is a few lines; anything far larger is not one.
constexpr size_t kMaxLayoutFile = 64 * 1024;

std::string prefixed(const std::string& where, const std::string& message) {
    return where.empty() ? message : where + ": " + message;
}

bool offered(const FunctionRow& row) { return row.kind == EntryKind::Function && row.visible; }

fs::path utf8Path(const std::string& path) { return fs::path(reinterpret_cast<const char8_t*>(path.c_str())); }

}  // namespace

std::string codeText(int32_t code) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%04X", static_cast<unsigned>(code) & 0xFFFFu);
    return text;
}

FunctionResolver::FunctionResolver(const std::string& programFolder, std::vector<FunctionRow> shown)
    : shown_(std::move(shown)) {
    languages_.push_back(shown_);
    for (const std::string& code : languageCodes(programFolder))
        languages_.push_back(functionsInLanguage(programFolder, code));
}

KeyChoice FunctionResolver::resolve(const std::string& text) const {
    std::string t = trimBlanks(text);
    if (t.size() > 2 && t[0] == '0' && (t[1] == 'x' || t[1] == 'X')) {
        std::optional<uint32_t> value = hexToken(t.substr(2));
        if (!value || *value > 0xFFFF) throw usageError("'" + t + "' is no function code (0x0000 to 0xFFFF)");
        return {codeText(static_cast<int32_t>(*value)), "", static_cast<int32_t>(*value)};
    }
    // The entries whose name or caption in any language is the text; by position in the catalogue.
    std::vector<size_t> found;
    for (const auto& language : languages_) {
        for (size_t i = 0; i < language.size() && i < shown_.size(); ++i) {
            const FunctionRow& row = language[i];
            if (!equalsIgnoringAsciiCase(row.name, t) && !equalsIgnoringAsciiCase(row.caption, t)) continue;
            if (std::find(found.begin(), found.end(), i) == found.end()) found.push_back(i);
        }
    }
    if (found.empty()) throw usageError("no function is called '" + t + "' (see 'orvixctl functions')");
    std::vector<size_t> usable;
    for (size_t i : found)
        if (offered(shown_[i])) usable.push_back(i);
    if (usable.empty()) {
        const FunctionRow& row = shown_[found[0]];
        if (row.kind != EntryKind::Function)
            throw usageError("'" + t + "' is a heading of the catalogue, not a function");
        throw usageError("'" + t + "' is not offered for a key (it is the fixed key's function); give its code " +
                         codeText(row.code) + " to mean it");
    }
    for (size_t i : usable) {
        if (shown_[i].code != shown_[usable[0]].code)
            throw usageError("'" + t + "' names more than one function (" + shown_[usable[0]].name + ", " +
                             shown_[i].name + "); give the entry name");
    }
    const FunctionRow& row = shown_[usable[0]];
    return {row.caption, row.name, row.code};
}

void addChoice(Assignment& assignment, const std::string& word, const FunctionResolver& resolver,
               const std::string& where) {
    size_t eq = word.find('=');
    if (eq == std::string::npos)
        throw usageError(prefixed(where, "'" + word + "' is not KEY=FUNCTION (such as 2=\"DOUBLE CLICK\")"));
    std::string key = trimBlanks(word.substr(0, eq));
    if (key.size() != 1 || key[0] < '1' || key[0] > '5')
        throw usageError(prefixed(where, "key '" + key + "' does not exist: the keys are 1 to 5"));
    int number = key[0] - '0';
    if (number == 1)
        throw usageError(prefixed(where, "key 1 is the fixed key (" + keyRowDefaults(resolver.shown())[0].caption +
                                             ") and cannot be changed"));
    auto& slot = assignment[static_cast<size_t>(number - 1)];
    if (slot) throw usageError(prefixed(where, "key " + key + " is given twice"));
    try {
        slot = resolver.resolve(word.substr(eq + 1));
    } catch (const CommandError& e) {
        throw usageError(prefixed(where, e.what()));
    }
}

void readLayoutFile(const std::string& path, Assignment& assignment, const FunctionResolver& resolver) {
    std::vector<uint8_t> bytes;
    FileError error;
    if (!readWholeFile(path, bytes, error, kMaxLayoutFile)) {
        std::string why = error.kind == FileError::NotAFile   ? "not a file"
                          : error.kind == FileError::TooLarge ? "larger than a layout file can be"
                                                              : error.reason;
        throw usageError("cannot read the layout file " + path + ": " + why);
    }
    std::vector<std::string> lines = splitLines(decodeText(bytes));
    for (size_t i = 0; i < lines.size(); ++i) {
        std::string line = trimControl(lines[i]);
        if (line.empty() || line[0] == '#') continue;
        addChoice(assignment, line, resolver, path + ":" + std::to_string(i + 1));
    }
}

Assignment gatherAssignment(const std::optional<std::string>& layoutFile, const std::vector<std::string>& words,
                            const FunctionResolver& resolver) {
    Assignment fromFile, given;
    if (layoutFile) readLayoutFile(*layoutFile, fromFile, resolver);
    for (const std::string& word : words) addChoice(given, word, resolver, "");
    for (size_t i = 0; i < given.size(); ++i)
        if (given[i]) fromFile[i] = given[i];
    return fromFile;
}

std::string layoutText(const Assignment& assignment, const std::array<KeyRowDefault, 5>& defaults) {
    std::string text = "# orvixctl layout: KEY=FUNCTION, one a line; key 1 is fixed.\n";
    for (size_t i = 1; i < 5; ++i) {
        // Entries are written by name, so the file reads the same in every language.
        std::string caption = assignment[i] ? assignment[i]->caption : defaults[i].caption;
        std::string name = assignment[i] ? assignment[i]->name : defaults[i].name;
        int32_t code = assignment[i] ? assignment[i]->code : defaults[i].code;
        std::string value = name.empty() ? codeText(code) : name;
        text += "# " + std::to_string(i + 1) + ": " + caption + "\n";
        text += std::to_string(i + 1) + "=" + value + "\n";
    }
    return text;
}

void writeLayoutFile(const std::string& path, const std::string& text) {
    fs::path target = utf8Path(path);
    fs::path temporary = target;
    temporary += ".orvixctl-new";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out << text;
        out.flush();
        if (!out) {
            std::error_code ec;
            fs::remove(temporary, ec);
            throw usageError("cannot write the layout file " + path);
        }
    }
    std::error_code ec;
    fs::rename(temporary, target, ec);
    if (ec) {
        fs::remove(temporary, ec);
        throw usageError("cannot write the layout file " + path + ": " + ec.message());
    }
}

}  // namespace orvix
