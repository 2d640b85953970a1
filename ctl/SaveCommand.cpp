// orvixctl save: a layout as a small text file, to keep and to share.

#include "ctl/Assignment.h"
#include "ctl/Command.h"
#include "ctl/CommandError.h"
#include "ctl/Options.h"
#include "ctl/StoredSettings.h"

namespace orvix {

namespace {

int run(const std::vector<std::string>& args) {
    Options options(args, {{"--from", true}});
    if (options.operands().empty()) throw usageError("save: name the FILE to write");
    std::vector<std::string> words(options.operands().begin() + 1, options.operands().end());
    std::string folder = programFolder();
    FunctionResolver resolver(folder, functionsInLanguage(folder, readStoredSettings().lang));
    Assignment assignment = gatherAssignment(options.value("--from"), words, resolver);
    writeLayoutFile(options.operands()[0], layoutText(assignment, keyRowDefaults(resolver.shown())));
    return kDone;
}

}  // namespace

const Command saveCommand{
    "save",
    "write a layout file",
    R"(usage: orvixctl save FILE [--from FILE] [KEY=FUNCTION ...]

Writes a layout to FILE: one KEY=FUNCTION line per key 2 to 5, each function by its entry name
(or its code), with its caption in a comment; keys not named get their defaults. Nothing is sent
to the receiver: 'orvixctl apply --from FILE' writes the layout to it. Lines starting with "#"
are comments. FILE is replaced whole.

  --from FILE   start from another layout file
)",
    run,
};

}  // namespace orvix
