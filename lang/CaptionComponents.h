#pragma once
// The components of a window or key row that caption catalogues reach, in the order the window
// declares them. Each window lists its own; applying and exporting walk the list.

#include <QString>
#include <functional>
#include <string>
#include <vector>

#include "lang/CaptionCatalogue.h"

namespace orvix {

struct CaptionComponent {
    QString name;  // the key's middle part: name + ".Caption", or "fmCaption" for the window
    // A caption (window, label, radio group, button, group box, page, unlocked panel) ...
    std::function<QString()> caption;
    std::function<void(const QString&)> setCaption;
    // ... or a menu entry: hint, tag and caption together (separators are never listed).
    std::function<MenuEntryValue()> entry;
    std::function<void(const MenuEntryValue&)> setEntry;

    bool isMenuEntry() const { return static_cast<bool>(entry); }
};

using CaptionComponents = std::vector<CaptionComponent>;

// Applies the catalogue's lines of a section to the components.
void applyCaptions(const std::string& section, const CaptionComponents& components, const CaptionCatalogue& catalogue);
// Appends the components' current captions to the list as catalogue lines.
void exportCaptions(const std::string& section, const CaptionComponents& components, std::vector<std::string>& list);

}  // namespace orvix
