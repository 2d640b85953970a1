#pragma once
// The language folders beside the program, without the windows: which folders offer a language
// (the scan behind the Language menu), and what loading one reads, in which order, and what a
// failure stops.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "lang/CaptionCatalogue.h"

namespace orvix {

// A folder that offers a language.
struct LanguageFolder {
    std::string name;         // as the file system spells it: the language code
    std::string displayName;  // from its "lang.txt", untrimmed: the menu entry's caption
};

struct LanguageScan {
    std::vector<LanguageFolder> folders;
    std::string error;  // what ended the scan early; empty when it ran through
};

// The folders of the program folder that offer a language, in name order without regard to case:
// plain folders (no links, no hidden ones), other than "en" in any case, holding a "lang.txt" (any
// case) whose first line that is not blank names the language. A "lang.txt" the user may not read,
// or one over the size limit, offers nothing; one that cannot be read for another reason ends the
// scan with "Cannot open file ...", after the folders found before it.
LanguageScan scanLanguageFolders(const std::string& programFolder);

// The display name of a language folder from the text of its "lang.txt": the first line that is
// not blank once trimmed must read "langname=<name>" (the key without regard to case and blanks);
// empty when it does not.
std::string languageDisplayName(std::string_view text);

// The error text for a file that exists but cannot be read.
std::string cannotOpenFile(const std::string& path, const std::string& reason);

// The two help pages a language folder may hold.
enum class HelpPage {
    Start,  // "Start.rtf", the page "START STAT"
    Led,    // "LED.rtf", the page "LED INDICATOR"
};

// What loading a language does to the front end, step by step.
struct LanguageLoadSteps {
    // A help page's file, read whole. Throwing ends the load (a page that cannot be shown).
    std::function<void(HelpPage page, const std::vector<uint8_t>& bytes)> showHelpPage;
    // The folder's caption catalogue, read: the rest of the load.
    std::function<void(CaptionCatalogue& catalogue)> applyCatalogue;
};

// Loads the language folder named code, found in the program folder without regard to case, in
// this order: "Start.rtf", then "LED.rtf", each only when it exists, then "Lang.txt". A code that
// names no folder there (a path, ".", "..", a missing one) loads nothing. A help page that exists
// but cannot be read ends the load with std::runtime_error("Cannot open file ..."); a catalogue
// that is missing or cannot be read ends it quietly, after the pages.
void loadLanguageFolder(const std::string& programFolder, const std::string& code, const LanguageLoadSteps& steps);

}  // namespace orvix
