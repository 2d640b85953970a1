#pragma once
// File and folder names looked up without regard to ASCII letter case, as on the platform
// where language folders were first kept.

#include <filesystem>
#include <string>
#include <vector>

namespace orvix {

// Paths to and from UTF-8 text, the same on every platform.
std::filesystem::path utf8Path(const std::string& text);
std::string utf8String(const std::filesystem::path& path);

// The path of the entry of folder whose name equals name without regard to ASCII case (the exact
// spelling first); empty when there is none.
std::string findIgnoringCase(const std::string& folder, const std::string& name);

std::string asciiLowered(std::string text);

// The display name of a language folder from the lines of its "lang.txt": the first line that is
// not blank once trimmed must read "langname=<name>" (the key without regard to case and blanks);
// empty when it does not.
std::string languageDisplayName(const std::vector<std::string>& lines);

}  // namespace orvix
