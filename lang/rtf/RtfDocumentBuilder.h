#pragma once
// Puts text runs and paragraphs into a QTextDocument, up to bounds that keep both the document
// and its layout small whatever the page holds. A paragraph is made only when text or a paragraph
// end comes, so a final \par leaves no empty paragraph behind.

#include <QString>
#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextCursor>

#include <vector>

class QTextDocument;

namespace orvix::rtf {

// Help pages hold a few thousand characters in a few dozen paragraphs and a few hundred runs.
// Text beyond the first two bounds is dropped (a paragraph costs the document far more than a
// character); beyond the run bound, text keeps the format of the run before it.
inline constexpr qsizetype maxDocumentChars = 1 << 20;
inline constexpr int maxParagraphs = 1 << 16;
inline constexpr int maxRuns = 1 << 14;
// Qt lays out a paragraph as a whole, and a line that cannot break costs it time in proportion
// to the rest of the paragraph: longer paragraphs continue in a new one, and longer stretches
// without a place to break get one (an invisible U+200B). No real text comes near either.
inline constexpr qsizetype maxParagraphChars = 1 << 13;
inline constexpr qsizetype maxUnbrokenChars = 1 << 9;

class DocumentBuilder {
public:
    // Everything goes in as one edit: the document's layout runs once, not after every run.
    explicit DocumentBuilder(QTextDocument& document);
    ~DocumentBuilder();
    DocumentBuilder(const DocumentBuilder&) = delete;
    DocumentBuilder& operator=(const DocumentBuilder&) = delete;

    void addText(const QString& text, const QTextCharFormat& format);
    // Ends the current paragraph (an empty one if nothing was added since the last end).
    void endParagraph(const QTextBlockFormat& block, const QTextCharFormat& format);
    // Gives an unfinished last paragraph its format and ends the edit.
    void finish(const QTextBlockFormat& block, const QTextCharFormat& format);

    // Tab stops past the paragraph's own come this far apart.
    void setDefaultTabWidth(qreal pixels);

    // The bound was reached: nothing more is added.
    bool full() const { return full_; }
    // Whether a new format still starts a run of its own (the run bound is not reached).
    bool takesRuns() const { return runs_ < maxRuns; }

private:
    bool reserve(qsizetype chars);
    bool openParagraph();
    bool continueParagraph();  // in a new block of the same paragraph
    // Puts the open block into the document: its block separator (with these formats) if it is
    // not there yet, and its text.
    void flushBlock(const QTextBlockFormat& block, const QTextCharFormat& format);
    void formatParagraph(const QTextBlockFormat& block, const QTextCharFormat& format);

    QTextCursor cursor_;
    qsizetype chars_ = 0;
    int paragraphs_ = 0;  // blocks, a continued paragraph's included
    int runs_ = 0;
    bool paragraphOpen_ = false;
    // A paragraph's formats are known at its end: until then its block is held back, so that it
    // goes into the document with them instead of being formatted again afterwards.
    bool blockPending_ = false;
    int paragraphStart_ = 0;        // where the open paragraph's first block starts (once inserted)
    qsizetype paragraphChars_ = 0;  // in the open paragraph's last block
    qsizetype unbroken_ = 0;        // characters since the last place a line may break
    // The open block's text not in the document yet, one piece per format.
    struct Run {
        QString text;
        QTextCharFormat format;
    };
    std::vector<Run> pending_;
    bool full_ = false;
    bool editing_ = false;
};

}  // namespace orvix::rtf
