#pragma once
// Puts text runs and paragraphs into a QTextDocument, up to a bound on the text's size. A
// paragraph is made only when text or a paragraph end comes, so a final \par leaves no empty
// paragraph behind.

#include <QString>
#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextCursor>

class QTextDocument;

namespace orvix::rtf {

// Help pages hold a few thousand characters in a few dozen paragraphs; text beyond these bounds
// is dropped (a paragraph costs the document far more than a character).
inline constexpr qsizetype maxDocumentChars = 1 << 20;
inline constexpr int maxParagraphs = 1 << 16;

class DocumentBuilder {
public:
    explicit DocumentBuilder(QTextDocument& document);

    void addText(const QString& text, const QTextCharFormat& format);
    // Ends the current paragraph (an empty one if nothing was added since the last end).
    void endParagraph(const QTextBlockFormat& block, const QTextCharFormat& format);
    // Gives an unfinished last paragraph its format.
    void finish(const QTextBlockFormat& block, const QTextCharFormat& format);

    // Tab stops past the paragraph's own come this far apart.
    void setDefaultTabWidth(qreal pixels);

    // The bound was reached: nothing more is added.
    bool full() const { return full_; }

private:
    bool reserve(qsizetype chars);
    bool openParagraph();

    QTextCursor cursor_;
    qsizetype chars_ = 0;
    int paragraphs_ = 0;
    bool paragraphOpen_ = false;
    bool full_ = false;
};

}  // namespace orvix::rtf
