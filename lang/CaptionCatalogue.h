#pragma once
// The caption catalogue: "Lang.txt" lines of key=value that replace the captions of the main
// window and the key rows, and the hints and tags of menu entries.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "lang/TextDecoding.h"

namespace orvix {

// The file's lines in order; a line without "=" carries nothing. Lookups go through an index of
// the keys, so a catalogue of millions of lines costs one pass to load and little per lookup.
class CaptionCatalogue {
public:
    CaptionCatalogue() = default;
    explicit CaptionCatalogue(const std::vector<std::string>& lines);
    // A file's bytes: the byte-order mark, line ends and NUL as decodeText and splitLines read them.
    static CaptionCatalogue fromBytes(const std::vector<uint8_t>& bytes);

    // Reads a "Lang.txt"; false with the reason in error when it cannot be read.
    bool load(const std::string& path, FileError& error);

    // The lines joined by LF, whatever ended them in the file (what the memo shows).
    const std::string& text() const { return text_; }
    std::vector<std::string> lines() const;
    // Hands the text over (the catalogue can look nothing up afterwards).
    std::string takeText();

    // The value of the first line whose key equals section + "." + name without regard to ASCII
    // letter case; the default when the key is missing or its value empty.
    std::string langValue(const std::string& section, const std::string& name, const std::string& def) const;
    // The same lookup for a whole key.
    std::string value(const std::string& key, const std::string& def) const;

private:
    void buildIndex();
    std::string_view keyAt(uint32_t offset) const;

    std::string text_;
    // Open addressing by the key's hash: 1 + the offset of the first line with that key; 0 free.
    std::vector<uint32_t> index_;
};

// The language the captions are written in, from the line "langlocale=<locale>" (for example
// zh_CN or ja_JP), which no caption key uses; empty when the catalogue does not say.
std::string captionLocale(const CaptionCatalogue& catalogue);

// A menu entry's part of a catalogue: "[hint|tag]caption", the tag only when above 0.
struct MenuEntryValue {
    std::string hint;
    int32_t tag = 0;
    std::string caption;
};
std::string formatMenuEntryValue(const MenuEntryValue& value);
// Nothing when the text holds no "]": the entry is left alone.
std::optional<MenuEntryValue> parseMenuEntryValue(const std::string& text);

// An integer as a catalogue writes tags: leading blanks, an optional sign, decimal digits or
// hexadecimal after "$", "x" or "0x"; 0 for anything else and for decimals beyond 32 bits.
int32_t readTagInteger(const std::string& text);

// Appends section.name=value with the value trimmed; nothing when that leaves it empty.
void addCaptionLine(std::vector<std::string>& list, const std::string& section, const std::string& name,
                    const std::string& value);

}  // namespace orvix
