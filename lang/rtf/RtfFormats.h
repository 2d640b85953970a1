#pragma once
// The character and paragraph properties that RTF keeps per group, the font and colour tables,
// and how they become Qt text formats.

#include <QColor>
#include <QString>
#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextOption>

#include <map>
#include <vector>

#include "lang/rtf/SymbolFonts.h"

namespace orvix::rtf {

// Word processors offer font sizes up to 1638 points; larger \fs values are read as that.
inline constexpr int maxHalfPoints = 3276;
inline constexpr int defaultHalfPoints = 24;

// What kind of characters the text is, by the last of \loch, \hich and \dbch.
enum class CharKind { Unmarked, LowAnsi, HighAnsi, DoubleByte };

struct CharState {
    int font = -1;  // -1: the document's default font (\deffN)
    int halfPoints = defaultHalfPoints;
    bool bold = false;
    bool italic = false;
    bool strike = false;
    bool hidden = false;
    QTextCharFormat::UnderlineStyle underline = QTextCharFormat::NoUnderline;
    QTextCharFormat::VerticalAlignment vertical = QTextCharFormat::AlignNormal;
    int color = -1;       // colour table index; -1, a missing or an empty entry: automatic
    int background = -1;  // likewise: none
    int link = -1;        // index of the hyperlink target, -1: none
    // After \dbch the text is double-byte (East Asian) text, whose bold, italic and size some
    // writers give as the associated properties \ab, \ai and \afsN.
    CharKind kind = CharKind::Unmarked;
    bool associatedBold = false;
    bool associatedItalic = false;
    int associatedHalfPoints = 0;  // 0: not given
    // The font of each kind of character: \afN after \loch, \hich or \dbch, or \fN while that
    // kind is current (<dbrun>: \loch\af1\hich\af1\dbch\f13 text). -1: not given.
    int kindFont[3] = {-1, -1, -1};
    // The kind \afN names a font for; Unmarked after \rtlch, \ltrch or \fcsN, whose \afN is a
    // font for right-to-left or complex script text.
    CharKind associatedKind = CharKind::Unmarked;

    // The font the text is in: its kind's font when one was given, else \fN.
    int textFont() const;
    bool doubleByte() const { return kind == CharKind::DoubleByte; }
    void setFont(int number);
    void setAssociatedFont(int number);
    void setKind(CharKind k);

    bool operator==(const CharState&) const = default;
};

// Paragraphs have at most this many tab stops; more are not kept.
inline constexpr size_t maxTabStops = 32;

struct TabStop {
    int position = 0;  // from the left text margin, in twips
    QTextOption::TabType type = QTextOption::LeftTab;
    bool operator==(const TabStop&) const = default;
};

// Lengths in twips (1/1440 inch), as RTF gives them.
struct ParaState {
    Qt::Alignment alignment = Qt::AlignLeft;
    int leftIndent = 0;
    int rightIndent = 0;
    int firstLineIndent = 0;
    int spaceBefore = 0;
    int spaceAfter = 0;
    std::vector<TabStop> tabStops;
    QTextOption::TabType nextTabType = QTextOption::LeftTab;  // \tqr, \tqc, \tqdec before a \txN
    bool operator==(const ParaState&) const = default;
};

struct FontEntry {
    QString name;
    int charset = 0;
    int codePage = 0;  // from \cpgN; 0: by the charset
    SymbolFont symbol = SymbolFont::None;
};

// The document's tables. What text formats are made of (fonts, colours, links, the default font)
// changes only through the setters, which count the changes in revision().
class DocumentTables {
public:
    int ansiCodePage = 1252;
    int defaultTabWidth = 720;  // \deftabN, in twips

    int defaultFont() const { return defaultFont_; }
    void setDefaultFont(int number);
    const FontEntry* font(int number) const;  // the default font's for -1
    size_t fontCount() const { return fonts_.size(); }
    bool hasFont(int number) const { return fonts_.count(number) > 0; }
    void setFont(int number, const FontEntry& entry);
    // The code page text bytes in this font are in (symbol fonts: their own pseudo code page).
    int codePageOf(int fontNumber) const;
    SymbolFont symbolFontOf(int fontNumber) const;

    const std::vector<QColor>& colors() const { return colors_; }  // an invalid colour is the automatic entry
    void clearColors();
    void addColor(const QColor& color);

    const std::vector<QString>& links() const { return links_; }
    void addLink(const QString& target);

    int revision() const { return revision_; }

private:
    int defaultFont_ = 0;
    std::map<int, FontEntry> fonts_;
    std::vector<QColor> colors_;
    std::vector<QString> links_;
    int revision_ = 0;
};

QTextCharFormat toCharFormat(const CharState& state, const DocumentTables& tables);

// toCharFormat for the runs of a page, which come in few formats: a format made before again while
// the tables have not changed. Handing Qt the same format object again also spares it hashing
// the format anew for every run.
class CharFormatCache {
public:
    const QTextCharFormat& get(const CharState& state, const DocumentTables& tables);

private:
    struct Entry {
        CharState key;
        QTextCharFormat format;
    };
    std::vector<Entry> entries_;  // at most cachedFormats; a new one replaces the oldest
    size_t last_ = 0;             // the entry handed out last
    size_t next_ = 0;             // the entry a new format replaces once all are taken
    int revision_ = 0;            // of the tables the entries were made with
};

QTextBlockFormat toBlockFormat(const ParaState& state);

// toBlockFormat for the paragraphs of a page, which come in few formats, likewise.
class BlockFormatCache {
public:
    const QTextBlockFormat& get(const ParaState& state);

private:
    struct Entry {
        ParaState key;
        QTextBlockFormat format;
    };
    std::vector<Entry> entries_;
    size_t last_ = 0;
    size_t next_ = 0;
};

// Twips to the document's pixels, which Qt lays out at 96 per inch.
inline qreal twipsToPixels(int twips) { return twips / 15.0; }

}  // namespace orvix::rtf
