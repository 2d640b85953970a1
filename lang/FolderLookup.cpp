#include "lang/FolderLookup.h"

#include <filesystem>
#include <system_error>

#include "lang/CaptionCatalogue.h"

namespace orvix {

namespace fs = std::filesystem;

std::filesystem::path utf8Path(const std::string& text) {
    return fs::path(std::u8string(reinterpret_cast<const char8_t*>(text.data()), text.size()));
}

std::string utf8String(const std::filesystem::path& path) {
    std::u8string s = path.u8string();
    return std::string(reinterpret_cast<const char*>(s.data()), s.size());
}

std::string asciiLowered(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

std::string findIgnoringCase(const std::string& folder, const std::string& name) {
    std::error_code ec;
    fs::path exact = utf8Path(folder) / utf8Path(name);
    if (fs::exists(exact, ec)) return utf8String(exact);
    const std::string wanted = asciiLowered(name);
    for (fs::directory_iterator it(utf8Path(folder), ec), end; !ec && it != end; it.increment(ec)) {
        if (asciiLowered(utf8String(it->path().filename())) == wanted) return utf8String(it->path());
    }
    return {};
}

std::string languageDisplayName(const std::vector<std::string>& lines) {
    for (const std::string& raw : lines) {
        std::string line = trimControl(raw);
        if (line.empty()) continue;
        std::vector<std::string> pieces;
        size_t start = 0;
        for (size_t eq; (eq = line.find('=', start)) != std::string::npos; start = eq + 1)
            pieces.push_back(line.substr(start, eq - start));
        pieces.push_back(line.substr(start));
        if (pieces.size() > 1 && pieces.back().empty()) pieces.pop_back();  // a final "=" is dropped
        if (pieces.size() != 2 || asciiLowered(trimControl(pieces[0])) != "langname") return {};
        return pieces[1];
    }
    return {};
}

}  // namespace orvix
