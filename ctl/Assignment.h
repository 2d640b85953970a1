#pragma once
// Which function each of the five keys is to get, from KEY=FUNCTION words on the command line or
// lines of a layout file. KEY is the number shown on screen; FUNCTION a caption of any language
// folder (letter case ignored), an entry name, or a raw code written 0xHHHH.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "ctl/FunctionTable.h"

namespace orvix {

struct KeyChoice {
    std::string caption;  // in the shown language, or the raw code as written back (0x1045)
    std::string name;     // the catalogue entry; empty for a raw code
    int32_t code = -1;    // -1: the entry has no valid code, and the row is passed over
};

// The keys 1 to 5; a key without a choice keeps its default.
using Assignment = std::array<std::optional<KeyChoice>, 5>;

class FunctionResolver {
public:
    // shown: the catalogue in the language the user sees; captions of every language folder
    // beside the program are understood too.
    FunctionResolver(const std::string& programFolder, std::vector<FunctionRow> shown);

    // A usage error naming the text when it is none of the three forms, or names more than one
    // function.
    KeyChoice resolve(const std::string& text) const;
    const std::vector<FunctionRow>& shown() const { return shown_; }

private:
    std::vector<FunctionRow> shown_;
    std::vector<std::vector<FunctionRow>> languages_;  // every language's catalogue, the shown one first
};

// Adds one "KEY=FUNCTION" to the assignment. where: what a message names first ("" or "FILE:3").
void addChoice(Assignment& assignment, const std::string& word, const FunctionResolver& resolver,
               const std::string& where);

// A layout file: one KEY=FUNCTION a line; blank lines and lines starting with "#" are comments.
// Usage errors name the file and line.
void readLayoutFile(const std::string& path, Assignment& assignment, const FunctionResolver& resolver);

// A layout file's choices (when one is named), then the words, which override the file's.
Assignment gatherAssignment(const std::optional<std::string>& layoutFile, const std::vector<std::string>& words,
                            const FunctionResolver& resolver);

// The layout of every key but the fixed one as a layout file's text.
std::string layoutText(const Assignment& assignment, const std::array<KeyRowDefault, 5>& defaults);

// Written whole or not at all (a temporary file beside it, then renamed). A usage error on failure.
void writeLayoutFile(const std::string& path, const std::string& text);

// "0x" and four upper-case hexadecimal digits.
std::string codeText(int32_t code);

}  // namespace orvix
