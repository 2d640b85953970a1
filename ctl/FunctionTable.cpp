#include "ctl/FunctionTable.h"

#include "core/AsciiText.h"
#include "keys/KeyIndexMap.h"
#include "lang/LanguageFolders.h"

namespace orvix {

std::vector<FunctionRow> functionsInLanguage(const std::string& programFolder, const std::string& code) {
    std::vector<FunctionRow> rows;
    for (const CatalogueEntry& e : functionCatalogue())
        rows.push_back({e.Name, e.Under, e.Caption, readFunctionCode(e.Hint), e.Tag, e.Visible, e.Kind});
    LanguageLoadSteps steps;
    steps.showHelpPage = [](HelpPage, const std::vector<uint8_t>&) {};
    // The window's key rows take the "keyDef" section: caption, hint and tag of every entry but the
    // separator, each only when its line holds a "]".
    steps.applyCatalogue = [&rows](CaptionCatalogue& catalogue) {
        for (FunctionRow& row : rows) {
            if (row.kind == EntryKind::Separator) continue;
            std::string value = catalogue.langValue("keyDef", row.name + ".Caption", "");
            if (value.empty()) continue;
            std::optional<MenuEntryValue> entry = parseMenuEntryValue(value);
            if (!entry) continue;
            row.caption = entry->caption;
            row.code = readFunctionCode(entry->hint);
            row.tag = entry->tag;
        }
    };
    try {
        loadLanguageFolder(programFolder, code, steps);
    } catch (const std::exception&) {
        // A help page that cannot be read ends the window's load before the catalogue: the same
        // built-in entries then.
    }
    return rows;
}

std::vector<std::string> languageCodes(const std::string& programFolder) {
    std::vector<std::string> codes{"EN"};
    for (const LanguageFolder& folder : scanLanguageFolders(programFolder).folders)
        if (!equalsIgnoringAsciiCase(folder.name, "EN")) codes.push_back(folder.name);
    return codes;
}

std::array<KeyRowDefault, 5> keyRowDefaults(const std::vector<FunctionRow>& functions) {
    std::array<KeyRowDefault, 5> rows;
    for (int tag = 1; tag <= 5; ++tag) {
        KeyRowDefault& row = rows[static_cast<size_t>(tag - 1)];
        row.number = tag;
        row.deviceKeyIndex = keyIndexMap[tag - 1] - 1;
        row.fixed = tag == 1;
        // The first entry of any kind with the row's Tag, in menu order.
        for (const FunctionRow& f : functions) {
            if (f.kind == EntryKind::Separator || f.tag != tag) continue;
            row.caption = f.caption;
            row.name = f.name;
            row.code = f.code;
            break;
        }
    }
    return rows;
}

}  // namespace orvix
