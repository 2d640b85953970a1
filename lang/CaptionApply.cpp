#include "lang/CaptionComponents.h"

namespace orvix {

void applyCaptions(const std::string& section, const CaptionComponents& components, const CaptionCatalogue& catalogue) {
    for (const CaptionComponent& c : components) {
        std::string key = c.name.toStdString() + (c.name == "fmCaption" ? "" : ".Caption");
        if (!c.isMenuEntry()) {
            // A missing key or an empty value keeps the caption: no plain caption can be blanked.
            std::string current = c.caption().toStdString();
            c.setCaption(QString::fromStdString(catalogue.langValue(section, key, current)));
            continue;
        }
        std::string value = catalogue.langValue(section, key, "");
        if (value.empty()) continue;
        if (auto parsed = parseMenuEntryValue(value)) c.setEntry(*parsed);
    }
}

void exportCaptions(const std::string& section, const CaptionComponents& components, std::vector<std::string>& list) {
    for (const CaptionComponent& c : components) {
        std::string name = c.name.toStdString() + (c.name == "fmCaption" ? "" : ".Caption");
        std::string value = c.isMenuEntry() ? formatMenuEntryValue(c.entry()) : c.caption().toStdString();
        addCaptionLine(list, section, name, value);
    }
}

}  // namespace orvix
