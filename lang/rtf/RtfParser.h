#pragma once
// Reads RTF group by group: keeps each group's character and paragraph properties and its
// destination, reads the font and colour tables, decodes text bytes in the current font's code
// page, and hands text and paragraphs to the document builder.

#include <QByteArray>
#include <QByteArrayView>
#include <QStringList>

#include <string>
#include <vector>

#include "lang/rtf/CodePages.h"
#include "lang/rtf/RtfDocumentBuilder.h"
#include "lang/rtf/RtfFormats.h"
#include "lang/rtf/RtfTokenizer.h"

class QTextDocument;

namespace orvix::rtf {

// Groups nested deeper than this are read as if they were part of the group at this depth.
inline constexpr size_t maxGroupDepth = 200;

enum class Word : int;  // the control words the parser reads

class Parser {
public:
    explicit Parser(QTextDocument& document) : builder_(document) {}

    // Reads the data, which starts with the document's group; stops at its end.
    void parse(QByteArrayView data);

    // What was wrong with the data, for the log; empty when nothing was.
    QStringList warnings() const { return warnings_; }

private:
    enum class Destination { Text, Skip, FontTable, ColorTable, FieldInstruction, Upr };

    struct Group {
        Destination destination = Destination::Text;
        Destination beforeUpr = Destination::Text;  // what \ud inside \upr goes back to
        CharState chars;
        ParaState paragraph;
        int unicodeSkip = 1;  // \ucN
        int field = -1;       // the field whose instruction or result this group holds
    };

    Group& group() { return stack_.back(); }
    void openGroup();
    bool closeGroup();  // false when the document's own group closed
    // A control word, by the destination it comes in: words that mean the same anywhere, the font
    // and colour tables' own, and in text those that start a destination or set the document,
    // character or paragraph properties, end a paragraph or stand for a character. Each step
    // returns whether the word was its own.
    void controlWord(const Token& token);
    bool wordAnywhere(Word word, const Token& token);
    void fontTableWord(Word word, const Token& token);
    void colorTableWord(Word word, const Token& token);
    bool destinationWord(Word word);
    bool documentWord(Word word, const Token& token);
    bool characterWord(Word word, const Token& token);
    bool paragraphWord(Word word, const Token& token);
    void controlSymbol(char symbol);
    void byte(uint8_t value, bool escaped);
    void text(QByteArrayView text);  // literal characters
    void addBytes(QByteArrayView bytes);
    void unicode(char16_t c);
    void special(char16_t c);
    void paragraphEnd();
    void addText(const QString& text);
    void flushBytes();
    void flushRun();
    void finishFontEntry();
    void addColor();
    void startField();
    void startFieldResult();
    void warn(const QString& text);

    std::vector<Group> stack_;
    size_t excessDepth_ = 0;
    int skipFallback_ = 0;    // characters after \uN still to skip
    bool ignorable_ = false;  // \* came: an unknown destination next is skipped

    DocumentTables tables_;
    CharFormatCache runFormats_;  // paragraphs' own character formats too
    BlockFormatCache blockFormats_;
    CodePageDecoder decoder_;
    DocumentBuilder builder_;

    std::string bytes_;  // text bytes not decoded yet, all in one code page (keeps its room when emptied)
    int bytesCodePage_ = 0;
    QString run_;  // decoded text not in the document yet, all in one format
    CharState runChars_;

    bool fontEntryOpen_ = false;
    int fontEntryNumber_ = 0;
    FontEntry fontEntry_;
    QByteArray fontEntryName_;
    int red_ = 0, green_ = 0, blue_ = 0;
    bool colorDefined_ = false;  // an entry has begun
    bool rgbDefined_ = false;    // and has a colour of its own
    std::vector<QString> fieldInstructions_;

    QStringList warnings_;
};

}  // namespace orvix::rtf
