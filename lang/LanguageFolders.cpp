#include "lang/LanguageFolders.h"

#include <algorithm>
#include <filesystem>
#include <stdexcept>
#include <system_error>

#include "core/AsciiText.h"
#include "lang/FolderLookup.h"
#include "lang/TextDecoding.h"

namespace orvix {

namespace fs = std::filesystem;

namespace {

// The names of the plain folders that may be language folders, in name order.
std::vector<std::string> candidateFolders(const std::string& programFolder) {
    std::vector<std::string> names;
    std::error_code ec;
    for (fs::directory_iterator it(utf8Path(programFolder), ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = utf8String(it->path().filename());
        std::error_code sec;
        // A plain folder: not a link, not hidden.
        if (it->is_symlink(sec) || !it->is_directory(sec) || name.empty() || name[0] == '.') continue;
        std::string lowered = asciiLowered(name);
        if (lowered == "." || lowered == ".." || lowered == "en") continue;
        names.push_back(name);
    }
    // In name order, as the platform the folders were first kept on lists them.
    std::sort(names.begin(), names.end(), entryNameLess);
    return names;
}

// A help page's bytes; false when the page keeps its text (no such file, or no file at all).
bool readHelpPage(const std::string& folder, const char* name, std::vector<uint8_t>& bytes) {
    std::string file = findIgnoringCase(folder, name, EntryKind::File);
    if (file.empty()) return false;
    FileError error;
    if (readWholeFile(file, bytes, error, maxHelpPageSize)) return true;
    if (error.kind == FileError::Missing || error.kind == FileError::NotAFile) return false;  // gone, or no file
    throw std::runtime_error(cannotOpenFile(file, error.reason));
}

}  // namespace

std::string cannotOpenFile(const std::string& path, const std::string& reason) {
    // As the platform writes paths: the program folder comes from Qt with '/' on Windows too.
    std::string shown = path;
    std::replace(shown.begin(), shown.end(), '/', static_cast<char>(std::filesystem::path::preferred_separator));
    return "Cannot open file \"" + shown + "\". " + reason;
}

LanguageScan scanLanguageFolders(const std::string& programFolder) {
    LanguageScan scan;
    for (const std::string& name : candidateFolders(programFolder)) {
        std::string file =
            findIgnoringCase(utf8String(utf8Path(programFolder) / utf8Path(name)), "lang.txt", EntryKind::File);
        if (file.empty()) continue;
        std::vector<uint8_t> bytes;
        FileError error;
        if (!readWholeFile(file, bytes, error)) {
            // A catalogue this user may not read, or one that can never load, offers no language.
            if (error.kind != FileError::Other) continue;
            scan.error = cannotOpenFile(file, error.reason);
            return scan;
        }
        std::string display = languageDisplayName(decodeText(bytes));
        if (!display.empty()) scan.folders.push_back({name, display});
    }
    return scan;
}

std::string languageDisplayName(std::string_view text) {
    for (size_t start = 0; start <= text.size();) {
        size_t end = text.find_first_of("\r\n", start);
        if (end == std::string_view::npos) end = text.size();
        std::string line = trimControl(text.substr(start, end - start));
        start = end + 1;
        if (line.empty()) continue;
        std::vector<std::string> pieces;
        size_t from = 0;
        for (size_t eq; (eq = line.find('=', from)) != std::string::npos; from = eq + 1)
            pieces.push_back(line.substr(from, eq - from));
        pieces.push_back(line.substr(from));
        if (pieces.size() > 1 && pieces.back().empty()) pieces.pop_back();  // a final "=" is dropped
        if (pieces.size() != 2 || asciiLowered(trimControl(pieces[0])) != "langname") return {};
        return pieces[1];
    }
    return {};
}

void loadLanguageFolder(const std::string& programFolder, const std::string& code, const LanguageLoadSteps& steps) {
    // A code with a path separator, "." or ".." names no language folder.
    std::string folder = findIgnoringCase(programFolder, code, EntryKind::Folder);
    if (folder.empty()) return;  // nothing to load
    const std::pair<HelpPage, const char*> pages[] = {{HelpPage::Start, "Start.rtf"}, {HelpPage::Led, "LED.rtf"}};
    for (const auto& [page, name] : pages) {
        std::vector<uint8_t> bytes;
        if (readHelpPage(folder, name, bytes)) steps.showHelpPage(page, bytes);
    }
    std::string file = findIgnoringCase(folder, "Lang.txt", EntryKind::File);
    CaptionCatalogue catalogue;
    FileError error;
    if (file.empty() || !catalogue.load(file, error)) return;  // never reported
    steps.applyCatalogue(catalogue);
}

}  // namespace orvix
