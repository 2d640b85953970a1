#include "lang/FolderLookup.h"

#include <filesystem>
#include <system_error>

#include "core/AsciiText.h"

namespace orvix {

namespace fs = std::filesystem;

namespace {

bool isKind(const fs::path& path, EntryKind kind) {
    std::error_code ec;
    fs::file_status status = fs::status(path, ec);  // follows links
    if (ec) return false;
    return kind == EntryKind::File ? fs::is_regular_file(status) : fs::is_directory(status);
}

}  // namespace

std::filesystem::path utf8Path(const std::string& text) {
    return fs::path(std::u8string(reinterpret_cast<const char8_t*>(text.data()), text.size()));
}

std::string utf8String(const std::filesystem::path& path) {
    std::u8string s = path.u8string();
    return std::string(reinterpret_cast<const char*>(s.data()), s.size());
}

bool isEntryName(const std::string& name) {
    return !name.empty() && name != "." && name != ".." && name.find_first_of("/\\") == std::string::npos;
}

bool entryNameLess(const std::string& a, const std::string& b) {
    std::string la = asciiLowered(a), lb = asciiLowered(b);
    return la != lb ? la < lb : a < b;
}

std::string findIgnoringCase(const std::string& folder, const std::string& name, EntryKind kind) {
    if (!isEntryName(name)) return {};
    // Joined as text: a name such as "C:x" must not replace the folder on Windows.
    fs::path exact = utf8Path(folder + "/" + name);
    if (isKind(exact, kind)) return utf8String(exact);
    const std::string wanted = asciiLowered(name);
    std::string found;
    std::error_code ec;
    for (fs::directory_iterator it(utf8Path(folder), ec), end; !ec && it != end; it.increment(ec)) {
        std::string entry = utf8String(it->path().filename());
        if (asciiLowered(entry) != wanted || !isKind(it->path(), kind)) continue;
        if (found.empty() || entry < utf8String(utf8Path(found).filename())) found = utf8String(it->path());
    }
    return found;
}

}  // namespace orvix
