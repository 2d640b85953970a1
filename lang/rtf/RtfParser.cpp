#include "lang/rtf/RtfParser.h"

#include <algorithm>
#include <string_view>
#include <unordered_map>

namespace orvix::rtf {

// The control words read here; specialCharacters() and words() name them.
// clang-format off
enum class Word : int {
    // Destinations
    FontTable, ColorTable, SkippedDestination, Field, FieldInstruction, FieldResult, Upr, Ud,
    // Document
    Ansi, Mac, Pc, Pca, AnsiCodePage, DefaultFont,
    // Font and colour tables
    Font, FontCharset, FontCodePage, Red, Green, Blue,
    // Characters
    Plain, Bold, Italic, Underline, UnderlineDotted, UnderlineDash, UnderlineWave, UnderlineNone,
    Strike, FontSize, Color, Background, Super, Sub, NoSuperSub, Up, Down, Hidden, UnicodeSkip, Unicode,
    LowAnsiRun, HighAnsiRun, DoubleByteRun, ComplexScriptRun, AssociatedFont, AssociatedBold, AssociatedItalic,
    AssociatedFontSize,
    // Paragraphs
    Pard, AlignLeft, AlignCenter, AlignRight, AlignJustify, LeftIndent, RightIndent, FirstIndent,
    SpaceBefore, SpaceAfter, TabStopAt, TabRight, TabCenter, TabDecimal, DefaultTab,
    // Paragraph ends and the characters of specialCharacters()
    Par, Special,
};
// clang-format on

namespace {

// Bounds on the tables, so that hostile data cannot grow them without end.
constexpr size_t maxFonts = 4096;
constexpr size_t maxColors = 4096;
constexpr size_t maxFields = 4096;
constexpr qsizetype maxFontName = 256;
constexpr qsizetype maxFieldInstruction = 4096;
constexpr qsizetype maxPendingRun = 4096;

// The characters that control words stand for.
const std::unordered_map<std::string_view, char16_t>& specialCharacters() {
    // clang-format off
    static const std::unordered_map<std::string_view, char16_t> table = {
        {"line", QChar::LineSeparator}, {"tab", u'\t'}, {"cell", u'\t'}, {"nestcell", u'\t'},
        {"bullet", 0x2022}, {"endash", 0x2013}, {"emdash", 0x2014}, {"lquote", 0x2018}, {"rquote", 0x2019},
        {"ldblquote", 0x201C}, {"rdblquote", 0x201D}, {"emspace", 0x2003}, {"enspace", 0x2002},
        {"qmspace", 0x2005}, {"zwj", 0x200D}, {"zwnj", 0x200C}, {"ltrmark", 0x200E}, {"rtlmark", 0x200F},
    };
    // clang-format on
    return table;
}

const std::unordered_map<std::string_view, Word>& words() {
    static const std::unordered_map<std::string_view, Word> table = [] {
        // clang-format off
        std::unordered_map<std::string_view, Word> t = {
            {"fonttbl", Word::FontTable}, {"colortbl", Word::ColorTable}, {"field", Word::Field},
            {"fldinst", Word::FieldInstruction}, {"fldrslt", Word::FieldResult}, {"upr", Word::Upr},
            {"ud", Word::Ud}, {"ansi", Word::Ansi}, {"mac", Word::Mac}, {"pc", Word::Pc},
            {"pca", Word::Pca}, {"ansicpg", Word::AnsiCodePage}, {"deff", Word::DefaultFont},
            {"f", Word::Font}, {"fcharset", Word::FontCharset}, {"cpg", Word::FontCodePage},
            {"red", Word::Red}, {"green", Word::Green}, {"blue", Word::Blue}, {"plain", Word::Plain},
            {"b", Word::Bold}, {"i", Word::Italic}, {"ul", Word::Underline}, {"uld", Word::UnderlineDotted},
            {"uldash", Word::UnderlineDash}, {"uldashd", Word::UnderlineDash},
            {"uldashdd", Word::UnderlineDash}, {"ulwave", Word::UnderlineWave},
            {"uldb", Word::Underline}, {"ulth", Word::Underline}, {"ulw", Word::Underline},
            {"ulnone", Word::UnderlineNone}, {"strike", Word::Strike}, {"striked", Word::Strike},
            {"fs", Word::FontSize}, {"cf", Word::Color}, {"cb", Word::Background},
            {"highlight", Word::Background}, {"chcbpat", Word::Background}, {"super", Word::Super},
            {"sub", Word::Sub}, {"nosupersub", Word::NoSuperSub}, {"up", Word::Up}, {"dn", Word::Down},
            {"v", Word::Hidden}, {"loch", Word::LowAnsiRun}, {"hich", Word::HighAnsiRun},
            {"dbch", Word::DoubleByteRun}, {"rtlch", Word::ComplexScriptRun}, {"ltrch", Word::ComplexScriptRun},
            {"fcs", Word::ComplexScriptRun}, {"af", Word::AssociatedFont}, {"ab", Word::AssociatedBold},
            {"ai", Word::AssociatedItalic}, {"afs", Word::AssociatedFontSize},
            {"uc", Word::UnicodeSkip}, {"u", Word::Unicode}, {"pard", Word::Pard},
            {"ql", Word::AlignLeft}, {"qc", Word::AlignCenter}, {"qr", Word::AlignRight},
            {"qj", Word::AlignJustify}, {"li", Word::LeftIndent}, {"lin", Word::LeftIndent},
            {"ri", Word::RightIndent}, {"rin", Word::RightIndent}, {"fi", Word::FirstIndent},
            {"sb", Word::SpaceBefore}, {"sa", Word::SpaceAfter},
            {"tx", Word::TabStopAt}, {"tqr", Word::TabRight}, {"tqc", Word::TabCenter},
            {"tqdec", Word::TabDecimal}, {"deftab", Word::DefaultTab}, {"par", Word::Par},
            {"sect", Word::Par}, {"page", Word::Par}, {"row", Word::Par}, {"nestrow", Word::Par},
        };
        for (const auto& [name, character] : specialCharacters()) t.emplace(name, Word::Special);
        // Destinations whose content is not text of the page (list numbers in \listtext and
        // \pntext are: they are read as text).
        for (std::string_view skipped :
             {"stylesheet", "info", "pict", "header", "headerl", "headerr", "headerf", "footer", "footerl",
              "footerr", "footerf", "footnote", "annotation", "object", "objdata", "shp", "shpinst",
              "nonshppict", "listtable", "listoverridetable", "revtbl", "rsidtbl", "filetbl", "generator",
              "xe", "tc", "txe", "rxe", "template", "docvar", "atnauthor", "atnid", "atntime", "atnref",
              "ftnsep", "ftnsepc", "ftncn", "aftnsep", "aftnsepc", "aftncn", "pgdsctbl", "themedata",
              "colorschememapping", "datastore", "latentstyles", "xmlnstbl", "mmathPr", "pn", "pntxta",
              "pntxtb", "bkmkstart", "bkmkend", "comment", "title", "subject", "author", "keywords",
              "doccomm", "operator", "company", "category", "manager", "userprops", "private"})
            t.emplace(skipped, Word::SkippedDestination);
        // clang-format on
        return t;
    }();
    return table;
}

int clampParam(const Token& token, int low, int high, int absent) {
    if (!token.hasParam) return absent;
    return std::clamp<int>(token.param, low, high);
}

// Most numbers in RTF are 16-bit.
int param16(const Token& token, int absent = 0) { return clampParam(token, -32768, 32767, absent); }

// \fsN in half-points: 0 or less is the absent value, more than word processors offer is cut.
int fontSize(const Token& token, int absent) {
    int halfPoints = param16(token, absent);
    return halfPoints <= 0 ? absent : std::min(halfPoints, maxHalfPoints);
}

bool toggleOn(const Token& token) { return !token.hasParam || token.param != 0; }

// The words of a field instruction: blank-separated, or in double quotes.
QStringList instructionWords(const QString& instruction) {
    QStringList result;
    qsizetype i = 0;
    while (i < instruction.size()) {
        if (instruction[i].isSpace()) {
            ++i;
            continue;
        }
        qsizetype end = i;
        if (instruction[i] == u'"') {
            end = instruction.indexOf(u'"', i + 1);
            if (end < 0) end = instruction.size();
            result << instruction.mid(i + 1, end - i - 1);
            i = end + 1;
        } else {
            while (end < instruction.size() && !instruction[end].isSpace()) ++end;
            result << instruction.mid(i, end - i);
            i = end;
        }
    }
    return result;
}

// The target of a HYPERLINK field: HYPERLINK "url" [\o "tip"], or HYPERLINK \l "bookmark".
QString hyperlinkTarget(const QString& instruction) {
    QStringList parts = instructionWords(instruction);
    if (parts.isEmpty() || parts[0].compare(QLatin1String("HYPERLINK"), Qt::CaseInsensitive) != 0) return {};
    QString url, bookmark;
    for (qsizetype i = 1; i < parts.size(); ++i) {
        const QString& part = parts[i];
        if (part == QLatin1String("\\l") && i + 1 < parts.size()) {
            bookmark = parts[++i];
        } else if (part == QLatin1String("\\o") || part == QLatin1String("\\t")) {
            ++i;  // a tooltip or a target frame
        } else if (!part.startsWith(u'\\') && url.isEmpty()) {
            url = part;
        }
    }
    if (!bookmark.isEmpty()) url += "#" + bookmark;
    return url;
}

// Lone UTF-16 surrogates (a \uN pair broken up) become U+FFFD.
void repairSurrogates(QString& text) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        QChar c = text[i];
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            ++i;
        } else if (c.isSurrogate()) {
            text[i] = QChar::ReplacementCharacter;
        }
    }
}

}  // namespace

void Parser::warn(const QString& text) {
    if (!warnings_.contains(text)) warnings_ << text;
}

void Parser::parse(QByteArrayView data) {
    stack_.assign(1, Group{});
    Tokenizer tokenizer(data);
    bool ended = false;
    for (;;) {
        Token token = tokenizer.next();
        if (token.kind == Token::End) break;
        if (token.kind != Token::Byte && token.kind != Token::Text) flushBytes();
        if (token.kind == Token::GroupOpen || token.kind == Token::GroupClose) {
            skipFallback_ = 0;  // fallback text never reaches past its group
            ignorable_ = false;
            if (token.kind == Token::GroupOpen) {
                openGroup();
            } else if (!closeGroup()) {
                ended = true;
                break;
            }
            continue;
        }
        if (skipFallback_ > 0) {
            if (token.kind != Token::Text || token.word.size() <= skipFallback_) {
                skipFallback_ -= token.kind == Token::Text ? int(token.word.size()) : 1;
                continue;
            }
            token.word = token.word.sliced(skipFallback_);  // each character counts
            skipFallback_ = 0;
        }
        if (token.kind == Token::ControlSymbol && token.symbol == '*') {
            ignorable_ = true;
            continue;
        }
        if (token.kind == Token::ControlWord) {
            controlWord(token);
        } else if (token.kind == Token::ControlSymbol) {
            controlSymbol(token.symbol);
        } else if (token.kind == Token::Byte) {
            byte(token.byte, true);
        } else if (token.kind == Token::Text) {
            text(token.word);
        }
        ignorable_ = false;
        if (builder_.full()) break;
    }
    flushBytes();
    flushRun();
    builder_.finish(blockFormats_.get(group().paragraph), runFormats_.get(group().chars, tables_));
    builder_.setDefaultTabWidth(twipsToPixels(tables_.defaultTabWidth));

    if (builder_.full()) {
        warn(QStringLiteral("the text was cut at %1 characters or %2 paragraphs")
                 .arg(maxDocumentChars)
                 .arg(maxParagraphs));
    } else if (!ended) {
        warn(QStringLiteral("the data ends before all groups are closed"));
    } else {
        for (Token rest = tokenizer.next(); rest.kind != Token::End; rest = tokenizer.next()) {
            bool blank = rest.kind == Token::Text &&
                         std::all_of(rest.word.begin(), rest.word.end(), [](char c) { return uint8_t(c) <= ' '; });
            if (!blank) {
                warn(QStringLiteral("data after the end of the document was ignored"));
                break;
            }
        }
    }
    if (QString codePages = decoder_.unsupported(); !codePages.isEmpty())
        warn(QStringLiteral("no converter for code page %1: read as windows-1252").arg(codePages));
}

void Parser::openGroup() {
    if (stack_.size() > maxGroupDepth) {
        if (excessDepth_++ == 0)
            warn(QStringLiteral("groups nested deeper than %1 were read as one").arg(maxGroupDepth));
        return;
    }
    stack_.push_back(Group(group()));
}

bool Parser::closeGroup() {
    if (excessDepth_ > 0) {
        --excessDepth_;
        return true;
    }
    if (stack_.size() <= 2) return false;  // the document's group
    // A table's last entry may lack its ';'.
    if (group().destination == Destination::FontTable) finishFontEntry();
    bool colorTable = group().destination == Destination::ColorTable;
    if (colorTable && stack_[stack_.size() - 2].destination != Destination::ColorTable) addColor();
    stack_.pop_back();
    return true;
}

void Parser::controlWord(const Token& token) {
    std::string_view name(token.word.data(), static_cast<size_t>(token.word.size()));
    auto found = words().find(name);
    if (ignorable_) {
        // Behind \* only the destinations read here are taken; any other is skipped whole.
        bool taken = found != words().end() && (found->second == Word::FieldInstruction || found->second == Word::Ud);
        if (!taken) {
            group().destination = Destination::Skip;
            return;
        }
    }
    if (found == words().end()) return;
    Word word = found->second;
    if (wordAnywhere(word, token)) return;
    switch (group().destination) {
    case Destination::Skip:
    case Destination::Upr: return;
    case Destination::FontTable: fontTableWord(word, token); return;
    case Destination::ColorTable: colorTableWord(word, token); return;
    case Destination::FieldInstruction:
    case Destination::Text:
        if (destinationWord(word) || documentWord(word, token) || characterWord(word, token) ||
            paragraphWord(word, token))
            return;
        if (word == Word::Par) paragraphEnd();
        if (word == Word::Special) special(specialCharacters().at(name));
        return;
    }
}

bool Parser::wordAnywhere(Word word, const Token& token) {
    Group& g = group();
    switch (word) {
    case Word::SkippedDestination: g.destination = Destination::Skip; return true;
    case Word::Upr:
        if (g.destination != Destination::Skip) {
            g.beforeUpr = g.destination;
            g.destination = Destination::Upr;
        }
        return true;
    case Word::Ud:
        if (g.destination == Destination::Upr) g.destination = g.beforeUpr;
        return true;
    case Word::UnicodeSkip: g.unicodeSkip = clampParam(token, 0, 255, 1); return true;
    case Word::Unicode: {
        if (!token.hasParam) return true;
        int value = token.param;
        // Writers give 16-bit values signed or unsigned; anything else is not a character.
        char16_t c = value < -32768 || value > 65535 ? char16_t(QChar::ReplacementCharacter)
                                                     : char16_t(value < 0 ? value + 65536 : value);
        unicode(c);
        skipFallback_ = g.unicodeSkip;
        return true;
    }
    default: return false;
    }
}

void Parser::fontTableWord(Word word, const Token& token) {
    if (word == Word::Font) {
        finishFontEntry();
        fontEntryOpen_ = true;
        fontEntryNumber_ = param16(token);
        fontEntry_ = FontEntry{};
        fontEntryName_.clear();
    } else if (word == Word::FontCharset) {
        fontEntry_.charset = clampParam(token, 0, 255, 0);
    } else if (word == Word::FontCodePage) {
        fontEntry_.codePage = clampParam(token, 0, 65535, 0);
    }
}

void Parser::colorTableWord(Word word, const Token& token) {
    if (word != Word::Red && word != Word::Green && word != Word::Blue) return;
    int value = clampParam(token, 0, 255, 0);
    (word == Word::Red ? red_ : word == Word::Green ? green_ : blue_) = value;
    colorDefined_ = rgbDefined_ = true;
}

bool Parser::destinationWord(Word word) {
    Group& g = group();
    switch (word) {
    case Word::FontTable:
        g.destination = Destination::FontTable;
        fontEntryOpen_ = false;
        return true;
    case Word::ColorTable:
        g.destination = Destination::ColorTable;
        tables_.clearColors();
        red_ = green_ = blue_ = 0;
        colorDefined_ = rgbDefined_ = false;
        return true;
    case Word::Field: startField(); return true;
    case Word::FieldInstruction:
        if (g.field < 0) startField();
        g.destination = g.field < 0 ? Destination::Skip : Destination::FieldInstruction;
        return true;
    case Word::FieldResult: startFieldResult(); return true;
    default: return false;
    }
}

bool Parser::documentWord(Word word, const Token& token) {
    switch (word) {
    case Word::Ansi: tables_.ansiCodePage = 1252; return true;
    case Word::Mac: tables_.ansiCodePage = 10000; return true;
    case Word::Pc: tables_.ansiCodePage = 437; return true;
    case Word::Pca: tables_.ansiCodePage = 850; return true;
    case Word::AnsiCodePage: {
        int codePage = clampParam(token, 0, 65535, 0);
        tables_.ansiCodePage = codePage > 0 ? codePage : 1252;
        return true;
    }
    case Word::DefaultFont: tables_.setDefaultFont(param16(token)); return true;
    case Word::DefaultTab: {
        int width = clampParam(token, 0, 32767, 720);
        tables_.defaultTabWidth = width > 0 ? width : 720;
        return true;
    }
    default: return false;
    }
}

bool Parser::characterWord(Word word, const Token& token) {
    CharState& chars = group().chars;
    auto underline = [&](QTextCharFormat::UnderlineStyle style) {
        chars.underline = toggleOn(token) ? style : QTextCharFormat::NoUnderline;
    };
    switch (word) {
    case Word::Font: chars.setFont(param16(token)); return true;
    case Word::AssociatedFont: chars.setAssociatedFont(param16(token)); return true;
    case Word::Plain: {
        CharState plain;
        plain.link = chars.link;  // a link's text stays the link
        chars = plain;
        return true;
    }
    case Word::Bold: chars.bold = toggleOn(token); return true;
    case Word::Italic: chars.italic = toggleOn(token); return true;
    case Word::Strike: chars.strike = toggleOn(token); return true;
    case Word::Hidden: chars.hidden = toggleOn(token); return true;
    case Word::Underline: underline(QTextCharFormat::SingleUnderline); return true;
    case Word::UnderlineDotted: underline(QTextCharFormat::DotLine); return true;
    case Word::UnderlineDash: underline(QTextCharFormat::DashUnderline); return true;
    case Word::UnderlineWave: underline(QTextCharFormat::WaveUnderline); return true;
    case Word::UnderlineNone: chars.underline = QTextCharFormat::NoUnderline; return true;
    case Word::FontSize: chars.halfPoints = fontSize(token, defaultHalfPoints); return true;
    case Word::AssociatedFontSize: chars.associatedHalfPoints = fontSize(token, 0); return true;
    case Word::AssociatedBold: chars.associatedBold = toggleOn(token); return true;
    case Word::AssociatedItalic: chars.associatedItalic = toggleOn(token); return true;
    case Word::LowAnsiRun: chars.setKind(CharKind::LowAnsi); return true;
    case Word::HighAnsiRun: chars.setKind(CharKind::HighAnsi); return true;
    case Word::DoubleByteRun: chars.setKind(CharKind::DoubleByte); return true;
    case Word::ComplexScriptRun: chars.associatedKind = CharKind::Unmarked; return true;
    case Word::Color: chars.color = clampParam(token, 0, 32767, 0); return true;
    case Word::Background: chars.background = clampParam(token, 0, 32767, 0); return true;
    case Word::Super: chars.vertical = QTextCharFormat::AlignSuperScript; return true;
    case Word::Sub: chars.vertical = QTextCharFormat::AlignSubScript; return true;
    case Word::NoSuperSub: chars.vertical = QTextCharFormat::AlignNormal; return true;
    // Raised or lowered text (in half-points) is shown as super- or subscript.
    case Word::Up:
    case Word::Down: {
        int offset = param16(token, 6);
        chars.vertical = offset == 0                          ? QTextCharFormat::AlignNormal
                         : (offset > 0) == (word == Word::Up) ? QTextCharFormat::AlignSuperScript
                                                              : QTextCharFormat::AlignSubScript;
        return true;
    }
    default: return false;
    }
}

bool Parser::paragraphWord(Word word, const Token& token) {
    ParaState& para = group().paragraph;
    switch (word) {
    case Word::Pard: para = ParaState{}; return true;
    case Word::AlignLeft: para.alignment = Qt::AlignLeft; return true;
    case Word::AlignCenter: para.alignment = Qt::AlignHCenter; return true;
    case Word::AlignRight: para.alignment = Qt::AlignRight; return true;
    case Word::AlignJustify: para.alignment = Qt::AlignJustify; return true;
    case Word::LeftIndent: para.leftIndent = clampParam(token, 0, 32767, 0); return true;
    case Word::RightIndent: para.rightIndent = clampParam(token, 0, 32767, 0); return true;
    case Word::FirstIndent: para.firstLineIndent = param16(token); return true;
    case Word::SpaceBefore: para.spaceBefore = clampParam(token, 0, 32767, 0); return true;
    case Word::SpaceAfter: para.spaceAfter = clampParam(token, 0, 32767, 0); return true;
    case Word::TabRight: para.nextTabType = QTextOption::RightTab; return true;
    case Word::TabCenter: para.nextTabType = QTextOption::CenterTab; return true;
    case Word::TabDecimal: para.nextTabType = QTextOption::DelimiterTab; return true;
    case Word::TabStopAt:
        if (para.tabStops.size() < maxTabStops)
            para.tabStops.push_back({clampParam(token, 0, 32767, 0), para.nextTabType});
        para.nextTabType = QTextOption::LeftTab;
        return true;
    default: return false;
    }
}

void Parser::controlSymbol(char symbol) {
    switch (symbol) {
    case '~': special(0x00A0); return;
    case '_': special(0x2011); return;
    case '-': special(0x00AD); return;
    case '\r':
    case '\n':
        if (group().destination == Destination::Text) paragraphEnd();
        return;
    default: return;  // \: \| and unknown symbols
    }
}

void Parser::byte(uint8_t value, bool escaped) {
    Group& g = group();
    switch (g.destination) {
    case Destination::Skip:
    case Destination::Upr: return;
    case Destination::FontTable:
        if (!fontEntryOpen_) return;
        if (value == ';' && !escaped) {
            finishFontEntry();
        } else if (fontEntryName_.size() < maxFontName) {
            fontEntryName_ += static_cast<char>(value);
        }
        return;
    case Destination::ColorTable:
        if (value == ';' && !escaped) {
            colorDefined_ = true;  // an empty entry is the automatic colour
            addColor();
        }
        return;
    case Destination::Text:
    case Destination::FieldInstruction: break;
    }
    if (g.chars.hidden) return;
    if (!escaped && value < 0x20) {
        // Literal control characters are not text, except a tab.
        if (value == '\t') special(u'\t');
        return;
    }
    addBytes(QByteArrayView(reinterpret_cast<const char*>(&value), 1));
}

void Parser::text(QByteArrayView text) {
    Group& g = group();
    if (g.destination != Destination::Text && g.destination != Destination::FieldInstruction) {
        for (char c : text) byte(static_cast<uint8_t>(c), false);  // the tables' entries end at a ';'
        return;
    }
    if (g.chars.hidden) return;
    while (!text.isEmpty()) {
        qsizetype n = 0;
        while (n < text.size() && static_cast<uint8_t>(text[n]) >= 0x20) ++n;
        if (n > 0) addBytes(text.first(n));
        if (n == text.size()) return;
        // Literal control characters are not text, except a tab.
        if (text[n] == '\t') special(u'\t');
        text = text.sliced(n + 1);
    }
}

void Parser::addBytes(QByteArrayView bytes) {
    int codePage = tables_.codePageOf(group().chars.textFont());
    if (!bytes_.empty() && codePage != bytesCodePage_) flushBytes();
    bytesCodePage_ = codePage;
    bytes_.append(bytes.data(), static_cast<size_t>(bytes.size()));
}

void Parser::unicode(char16_t c) {
    flushBytes();
    Group& g = group();
    if (g.destination != Destination::Text && g.destination != Destination::FieldInstruction) return;
    if (g.chars.hidden || c == 0 || (c < 0x20 && c != u'\t')) return;
    c = symbolFontChar(tables_.symbolFontOf(g.chars.textFont()), c);
    addText(QString(QChar(c)));
}

void Parser::special(char16_t c) {
    flushBytes();
    Group& g = group();
    if (g.destination != Destination::Text || g.chars.hidden) return;
    addText(QString(QChar(c)));
}

void Parser::paragraphEnd() {
    Group& g = group();
    if (g.destination != Destination::Text) return;
    flushRun();
    builder_.endParagraph(blockFormats_.get(g.paragraph), runFormats_.get(g.chars, tables_));
}

void Parser::addText(const QString& text) {
    Group& g = group();
    if (g.destination == Destination::FieldInstruction) {
        if (g.field < 0 || static_cast<size_t>(g.field) >= fieldInstructions_.size()) return;
        QString& instruction = fieldInstructions_[static_cast<size_t>(g.field)];
        instruction += text.left(std::max<qsizetype>(0, maxFieldInstruction - instruction.size()));
        return;
    }
    if (!run_.isEmpty() && runChars_ != g.chars) {
        if (builder_.takesRuns()) {
            flushRun();
        } else if (run_.size() < maxPendingRun) {
            run_ += text;  // the builder keeps no more formats: the text joins the run before
            return;
        } else {
            flushRun();  // not held for ever
        }
    }
    runChars_ = g.chars;
    run_ += text;
}

void Parser::flushBytes() {
    if (bytes_.empty()) return;
    QString text = decoder_.decode(bytesCodePage_, QByteArrayView(bytes_.data(), qsizetype(bytes_.size())));
    bytes_.clear();
    addText(text);
}

void Parser::flushRun() {
    if (run_.isEmpty()) return;
    repairSurrogates(run_);
    builder_.addText(run_, runFormats_.get(runChars_, tables_));
    run_.clear();
}

void Parser::addColor() {
    if (colorDefined_ && tables_.colors().size() < maxColors)
        tables_.addColor(rgbDefined_ ? QColor(red_, green_, blue_) : QColor());
    red_ = green_ = blue_ = 0;
    colorDefined_ = rgbDefined_ = false;
}

void Parser::finishFontEntry() {
    if (!fontEntryOpen_) return;
    fontEntryOpen_ = false;
    int codePage =
        fontEntry_.codePage > 0 ? fontEntry_.codePage : codePageForCharset(fontEntry_.charset, tables_.ansiCodePage);
    if (codePage == symbolCodePage) codePage = 1252;  // a symbol font's name is plain letters
    fontEntry_.name = decoder_.decode(codePage, fontEntryName_).trimmed();
    fontEntry_.symbol = symbolFontOf(fontEntry_.name, fontEntry_.charset);
    if (tables_.fontCount() < maxFonts || tables_.hasFont(fontEntryNumber_))
        tables_.setFont(fontEntryNumber_, fontEntry_);
}

void Parser::startField() {
    Group& g = group();
    if (fieldInstructions_.size() >= maxFields) {
        g.field = -1;
        // An instruction with no field to hold it is skipped, not written anywhere.
        if (g.destination == Destination::FieldInstruction) g.destination = Destination::Skip;
        return;
    }
    g.field = static_cast<int>(fieldInstructions_.size());
    fieldInstructions_.emplace_back();
}

void Parser::startFieldResult() {
    Group& g = group();
    if (g.field < 0) return;
    QString target = hyperlinkTarget(fieldInstructions_[static_cast<size_t>(g.field)]);
    if (target.isEmpty() || tables_.links().size() >= maxFields) return;
    g.chars.link = static_cast<int>(tables_.links().size());
    tables_.addLink(target);
}

}  // namespace orvix::rtf
