#include "lang/rtf/RtfDocumentBuilder.h"

#include <QTextDocument>

namespace orvix::rtf {

DocumentBuilder::DocumentBuilder(QTextDocument& document) : cursor_(&document) {
    cursor_.movePosition(QTextCursor::End);
}

bool DocumentBuilder::reserve(qsizetype chars) {
    if (full_) return false;
    if (chars_ + chars > maxDocumentChars) {
        full_ = true;
        return false;
    }
    chars_ += chars;
    return true;
}

bool DocumentBuilder::openParagraph() {
    if (paragraphOpen_) return true;
    if (paragraphs_ >= maxParagraphs) {
        full_ = true;
        return false;
    }
    if (paragraphs_ > 0) cursor_.insertBlock();  // the document's first block is there already
    ++paragraphs_;
    paragraphOpen_ = true;
    return true;
}

void DocumentBuilder::addText(const QString& text, const QTextCharFormat& format) {
    if (text.isEmpty()) return;
    QString kept = text;
    if (!openParagraph()) return;
    if (!reserve(text.size())) {
        kept.truncate(maxDocumentChars - chars_);
        if (!kept.isEmpty() && kept.back().isHighSurrogate()) kept.chop(1);
        chars_ = maxDocumentChars;
        if (kept.isEmpty()) return;
    }
    cursor_.insertText(kept, format);
}

void DocumentBuilder::endParagraph(const QTextBlockFormat& block, const QTextCharFormat& format) {
    if (!openParagraph() || !reserve(1)) return;
    cursor_.setBlockFormat(block);
    cursor_.setBlockCharFormat(format);
    paragraphOpen_ = false;
}

void DocumentBuilder::finish(const QTextBlockFormat& block, const QTextCharFormat& format) {
    if (!paragraphOpen_) return;
    cursor_.setBlockFormat(block);
    cursor_.setBlockCharFormat(format);
    paragraphOpen_ = false;
}

void DocumentBuilder::setDefaultTabWidth(qreal pixels) {
    QTextDocument* document = cursor_.document();
    QTextOption option = document->defaultTextOption();
    option.setTabStopDistance(pixels);
    document->setDefaultTextOption(option);
}

}  // namespace orvix::rtf
