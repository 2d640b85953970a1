#pragma once
// The function catalogue as the window shows it in one language, and the five key rows with the
// defaults it gives them.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "keys/FunctionCatalogue.h"

namespace orvix {

struct FunctionRow {
    std::string name;     // the entry's fixed identity
    std::string under;    // the Name of its heading; "" at the top level
    std::string caption;  // in the language
    int32_t code = -1;    // from the hint; -1 for none or a malformed one
    int32_t tag = 0;      // 1 to 5: the default of the key row with that number
    bool visible = true;
    EntryKind kind = EntryKind::Function;
};

// The built-in entries with the replacements of the language folder named code (found without
// regard to case beside the program); the built-in ones alone when no such folder has a catalogue.
std::vector<FunctionRow> functionsInLanguage(const std::string& programFolder, const std::string& code);

// The language codes beside the program: "EN" and every folder that offers a language.
std::vector<std::string> languageCodes(const std::string& programFolder);

// One key row: the number shown on screen (its Tag, 1 to 5), the receiver's device key index,
// and the function it starts with.
struct KeyRowDefault {
    int number = 0;
    int deviceKeyIndex = 0;
    std::string caption = "Key";  // as the window's row before any default (none carries its Tag)
    std::string name;             // the catalogue entry
    int32_t code = 0;
    bool fixed = false;  // key 1: its function cannot be changed
};
std::array<KeyRowDefault, 5> keyRowDefaults(const std::vector<FunctionRow>& functions);

}  // namespace orvix
