#pragma once
// The fixed list of functions one mouse button can be given, in menu order. Each key row builds
// its own pop-up from this one table, so a caption catalogue can later change every copy alike.

#include <cstdint>
#include <string>
#include <vector>

namespace orvix {

enum class EntryKind { Function, Heading, Separator };

struct CatalogueEntry {
    const char* Name;     // fixed identity, addressed by caption catalogues
    const char* Under;    // Name of the heading that holds it; "" at the top level
    const char* Caption;  // the function name shown and compared for the check mark
    const char* Hint;     // the function code as hexadecimal text
    int32_t Tag;          // 1 to 5: default function of the key row with that Tag
    bool Visible;
    EntryKind Kind;
};

const std::vector<CatalogueEntry>& functionCatalogue();

// A function code from a Hint: hexadecimal digits only, either case, nothing before or after.
// -1 for anything else, and for a value the two code bytes of a frame cannot carry (above 0xFFFF).
int32_t readFunctionCode(const std::string& hint);

// The code as the key write wants it: its two bytes exchanged; 0 and -1 stay as they are.
int32_t wireOrder(int32_t code);

}  // namespace orvix
