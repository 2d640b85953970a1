#include "lang/rtf/RtfFormats.h"

#include <QFontDatabase>
#include <QHash>

#include <algorithm>

#include "lang/rtf/CodePages.h"
#include "lang/rtf/RtfReader.h"

namespace orvix::rtf {

namespace {

// Qt hashes a text format's list properties (font families, tab stops) by their type alone, so
// formats that differ only there share one hash, and each new one is compared with all before it:
// a page of a few thousand fonts, or of paragraphs with their own tab stops, took seconds to
// minutes. These properties of the project's own hold the same as plain strings, which Qt hashes
// by their value.
constexpr int fontNameProperty = QTextFormat::UserProperty + 1;
constexpr int tabStopsProperty = QTextFormat::UserProperty + 2;

QString tabStopsKey(const QList<QTextOption::Tab>& tabs) {
    QString key;
    for (const QTextOption::Tab& tab : tabs) key += QString::number(tab.position) + QChar(u'a' + tab.type);
    return key;
}

qreal pixels(int twips) { return twipsToPixels(twips); }

// Qt measures tab stops from where the paragraph's first line starts, RTF from the text margin.
// A hanging indent is a tab stop of its own when no other stop comes before it, so that the
// text after a list bullet and its tab lines up with the lines below.
QList<QTextOption::Tab> tabPositions(const ParaState& state) {
    QList<QTextOption::Tab> tabs;
    int lineStart = state.leftIndent + state.firstLineIndent;
    for (const TabStop& stop : state.tabStops)
        if (stop.position > lineStart)
            tabs << QTextOption::Tab(pixels(stop.position - lineStart), stop.type,
                                     stop.type == QTextOption::DelimiterTab ? QChar(u'.') : QChar());
    if (state.firstLineIndent < 0) {
        bool stopBefore = std::any_of(tabs.begin(), tabs.end(), [&](const QTextOption::Tab& tab) {
            return tab.position <= pixels(-state.firstLineIndent);
        });
        if (!stopBefore) tabs << QTextOption::Tab(pixels(-state.firstLineIndent), QTextOption::LeftTab);
    }
    std::sort(tabs.begin(), tabs.end(), [](const auto& a, const auto& b) { return a.position < b.position; });
    return tabs;
}

QColor tableColor(const std::vector<QColor>& colors, int index) {
    if (index < 0 || static_cast<size_t>(index) >= colors.size()) return {};
    return colors[static_cast<size_t>(index)];
}

size_t kindIndex(CharKind kind) { return static_cast<size_t>(kind) - 1; }

}  // namespace

int CharState::textFont() const {
    if (kind == CharKind::Unmarked) return font;
    int given = kindFont[kindIndex(kind)];
    return given >= 0 ? given : font;
}

void CharState::setFont(int number) {
    font = number;
    if (kind != CharKind::Unmarked) kindFont[kindIndex(kind)] = number;
}

void CharState::setAssociatedFont(int number) {
    if (associatedKind != CharKind::Unmarked) kindFont[kindIndex(associatedKind)] = number;
}

void CharState::setKind(CharKind k) { kind = associatedKind = k; }

void DocumentTables::setDefaultFont(int number) {
    defaultFont_ = number;
    ++revision_;
}

const FontEntry* DocumentTables::font(int number) const {
    auto found = fonts_.find(number < 0 ? defaultFont_ : number);
    return found == fonts_.end() ? nullptr : &found->second;
}

void DocumentTables::setFont(int number, const FontEntry& entry) {
    fonts_[number] = entry;
    ++revision_;
}

void DocumentTables::clearColors() {
    colors_.clear();
    ++revision_;
}

void DocumentTables::addColor(const QColor& color) {
    colors_.push_back(color);
    ++revision_;
}

void DocumentTables::addLink(const QString& target) {
    links_.push_back(target);
    ++revision_;
}

int DocumentTables::codePageOf(int fontNumber) const {
    const FontEntry* entry = font(fontNumber);
    if (!entry) return ansiCodePage;
    if (entry->symbol == SymbolFont::Wingdings) return wingdingsCodePage;
    if (entry->symbol == SymbolFont::Symbol) return symbolCodePage;
    if (entry->codePage > 0) return entry->codePage;
    return codePageForCharset(entry->charset, ansiCodePage);
}

SymbolFont DocumentTables::symbolFontOf(int fontNumber) const {
    const FontEntry* entry = font(fontNumber);
    return entry ? entry->symbol : SymbolFont::None;
}

// Whether the desktop has the face itself. A face it lacks would be matched to a stand-in of another
// family (Arial to a Type 1 look-alike), slow to open and shape and no more what the page named
// than the program's own font; such runs keep the document's font.
static bool installedFace(const QString& name) {
    static QHash<QString, bool> known;
    auto it = known.constFind(name);
    if (it == known.constEnd()) it = known.insert(name, QFontDatabase::hasFamily(name));
    return *it;
}

QTextCharFormat toCharFormat(const CharState& state, const DocumentTables& tables) {
    QTextCharFormat format;
    const FontEntry* font = tables.font(state.textFont());
    // Symbol fonts are read as the Unicode characters they show: any font draws those.
    if (font && font->symbol == SymbolFont::None && !font->name.isEmpty()) {
        if (installedFace(font->name)) format.setFontFamilies({font->name});
        format.setProperty(fontNameProperty, font->name);
    }
    bool associated = state.doubleByte();
    int halfPoints = associated && state.associatedHalfPoints > 0 ? state.associatedHalfPoints : state.halfPoints;
    format.setFontPointSize(halfPoints / 2.0);
    if (state.bold || (associated && state.associatedBold)) format.setFontWeight(QFont::Bold);
    if (state.italic || (associated && state.associatedItalic)) format.setFontItalic(true);
    if (state.strike) format.setFontStrikeOut(true);
    if (state.underline != QTextCharFormat::NoUnderline) format.setUnderlineStyle(state.underline);
    if (state.vertical != QTextCharFormat::AlignNormal) format.setVerticalAlignment(state.vertical);
    if (QColor color = tableColor(tables.colors(), state.color); color.isValid()) format.setForeground(color);
    if (QColor color = tableColor(tables.colors(), state.background); color.isValid()) format.setBackground(color);
    if (state.link >= 0 && static_cast<size_t>(state.link) < tables.links().size()) {
        format.setAnchor(true);
        format.setAnchorHref(tables.links()[static_cast<size_t>(state.link)]);
    }
    return format;
}

namespace {

// Formats a page keeps at hand; pages use a handful, a hostile one more than any cache would hold.
constexpr size_t cachedFormats = 16;

// The entry whose key is key (the one found last first), or a new one made by make: appended
// while there is room, else in place of the oldest.
template <typename Entry, typename Key, typename Make>
Entry& cachedEntry(std::vector<Entry>& entries, size_t& last, size_t& next, const Key& key, Make make) {
    if (last < entries.size() && entries[last].key == key) return entries[last];
    for (size_t i = 0; i < entries.size(); ++i)
        if (entries[i].key == key) return entries[last = i];
    if (entries.size() < cachedFormats) {
        last = entries.size();
        entries.push_back(make());
    } else {
        last = next;
        next = (next + 1) % cachedFormats;
        entries[last] = make();
    }
    return entries[last];
}

}  // namespace

const QTextCharFormat& CharFormatCache::get(const CharState& state, const DocumentTables& tables) {
    if (tables.revision() != revision_) {
        entries_.clear();
        last_ = next_ = 0;
        revision_ = tables.revision();
    }
    return cachedEntry(entries_, last_, next_, state, [&] { return Entry{state, toCharFormat(state, tables)}; }).format;
}

QTextBlockFormat toBlockFormat(const ParaState& state) {
    QTextBlockFormat format;
    format.setAlignment(state.alignment);
    format.setLeftMargin(pixels(state.leftIndent));
    format.setRightMargin(pixels(state.rightIndent));
    format.setTextIndent(pixels(state.firstLineIndent));
    format.setTopMargin(pixels(state.spaceBefore));
    format.setBottomMargin(pixels(state.spaceAfter));
    if (QList<QTextOption::Tab> tabs = tabPositions(state); !tabs.isEmpty()) {
        format.setTabPositions(tabs);
        format.setProperty(tabStopsProperty, tabStopsKey(tabs));
    }
    return format;
}

const QTextBlockFormat& BlockFormatCache::get(const ParaState& state) {
    return cachedEntry(entries_, last_, next_, state, [&] { return Entry{state, toBlockFormat(state)}; }).format;
}

}  // namespace orvix::rtf

namespace orvix {

QString namedFace(const QTextCharFormat& format) { return format.stringProperty(rtf::fontNameProperty); }

}  // namespace orvix
