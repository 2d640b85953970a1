// orvixctl functions: the function catalogue as the window shows it.

#include <cstdio>
#include <string>

#include "core/AsciiText.h"
#include "ctl/Assignment.h"
#include "ctl/Command.h"
#include "ctl/CommandError.h"
#include "ctl/Options.h"
#include "ctl/StoredSettings.h"

namespace orvix {

namespace {

std::string chosenLanguage(const Options& options, const std::string& folder) {
    std::optional<std::string> asked = options.value("--lang");
    if (!asked) return readStoredSettings().lang;
    std::vector<std::string> codes = languageCodes(folder);
    for (const std::string& code : codes)
        if (equalsIgnoringAsciiCase(code, *asked)) return code;
    std::string known;
    for (const std::string& code : codes) known += (known.empty() ? "" : ", ") + code;
    throw usageError("functions: no language folder '" + *asked + "' beside the program (there are: " + known + ")");
}

int run(const std::vector<std::string>& args) {
    Options options(args, {{"--lang", true}});
    if (!options.operands().empty()) throw usageError("functions: unexpected '" + options.operands()[0] + "'");
    std::string folder = programFolder();
    std::vector<FunctionRow> rows = functionsInLanguage(folder, chosenLanguage(options, folder));
    std::printf("CODE    DEFAULT NAME                 CAPTION\n");
    for (const FunctionRow& row : rows) {
        if (row.kind == EntryKind::Separator) continue;
        std::string code = row.kind == EntryKind::Heading ? "" : row.code < 0 ? "none" : codeText(row.code);
        std::string key = row.tag >= 1 && row.tag <= 5 ? "key " + std::to_string(row.tag) : "";
        // A heading names its sub-menu; its functions are indented under it.
        std::string caption = (row.under.empty() ? "" : "  ") + row.caption;
        if (row.kind == EntryKind::Heading) caption += ":";
        if (row.kind == EntryKind::Function && !row.visible) caption += "  (fixed key only)";
        std::printf("%-7s %-7s %-20s %s\n", code.c_str(), key.c_str(), row.name.c_str(), caption.c_str());
    }
    return kDone;
}

}  // namespace

const Command functionsCommand{
    "functions",
    "the functions a key can be given",
    R"(usage: orvixctl functions [--lang CODE]

Prints the function catalogue as the window shows it: each function's code, the key whose
default it is, its entry name and its caption, under the headings of the window's pop-up.
Any of code (0xHHHH), entry name or caption (of any language) names a function for 'apply'.

  --lang CODE   captions of this language folder (EN, CHN, JPN ...) instead of the stored one
)",
    run,
};

}  // namespace orvix
