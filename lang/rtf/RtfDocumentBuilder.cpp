#include "lang/rtf/RtfDocumentBuilder.h"

#include <QTextDocument>

namespace orvix::rtf {

namespace {

constexpr char16_t zeroWidthSpace = 0x200B;

// Whether a line may break after c: after white space and dashes, and anywhere in scripts that
// break between characters (Chinese, Japanese, and characters beyond the basic plane). Text in
// other scripts without spaces simply gets a break opportunity now and then.
bool breaksAfter(QChar c) {
    if (c.isSpace() || c == u'-' || c == zeroWidthSpace || c.isSurrogate()) return true;
    switch (c.script()) {
    case QChar::Script_Han:
    case QChar::Script_Hiragana:
    case QChar::Script_Katakana: return true;
    default: return c.unicode() >= 0x3000 && c.unicode() <= 0x303F;  // CJK punctuation
    }
}

}  // namespace

DocumentBuilder::DocumentBuilder(QTextDocument& document) : cursor_(&document) {
    cursor_.movePosition(QTextCursor::End);
    cursor_.beginEditBlock();
    editing_ = true;
}

DocumentBuilder::~DocumentBuilder() {
    flushRun();
    if (editing_) cursor_.endEditBlock();
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
    paragraphStart_ = cursor_.position();
    paragraphChars_ = unbroken_ = 0;
    return true;
}

bool DocumentBuilder::continueParagraph() {
    if (paragraphs_ >= maxParagraphs || !reserve(1)) {
        full_ = true;
        return false;
    }
    flushRun();
    cursor_.insertBlock();
    ++paragraphs_;
    paragraphChars_ = unbroken_ = 0;
    return true;
}

void DocumentBuilder::flushRun() {
    if (run_.isEmpty()) return;
    cursor_.insertText(run_, runFormat_);
    run_.clear();
}

void DocumentBuilder::addText(const QString& text, const QTextCharFormat& format) {
    if (text.isEmpty() || !openParagraph()) return;
    if (runs_ == 0 || (format != runFormat_ && runs_ < maxRuns)) {
        flushRun();
        runFormat_ = format;
        ++runs_;
    }
    for (QChar c : text) {
        // A block is continued only when more text comes, so a paragraph never ends in an empty one.
        if (paragraphChars_ >= maxParagraphChars && !c.isLowSurrogate() && !continueParagraph()) break;
        if (!reserve(1)) break;
        run_ += c;
        ++paragraphChars_;
        unbroken_ = breaksAfter(c) ? 0 : unbroken_ + 1;
        if (c.isHighSurrogate()) continue;  // nothing comes between a surrogate pair
        if (unbroken_ >= maxUnbrokenChars) {
            if (!reserve(1)) break;
            run_ += QChar(zeroWidthSpace);
            ++paragraphChars_;
            unbroken_ = 0;
        }
    }
    if (full_ && !run_.isEmpty() && run_.back().isHighSurrogate()) run_.chop(1);  // cut inside a pair
}

void DocumentBuilder::formatParagraph(const QTextBlockFormat& block, const QTextCharFormat& format) {
    flushRun();
    // Every block of the paragraph, a continued one's too.
    QTextCursor paragraph(cursor_);
    paragraph.setPosition(paragraphStart_, QTextCursor::KeepAnchor);
    paragraph.setBlockFormat(block);
    paragraph.setBlockCharFormat(format);
    paragraphOpen_ = false;
}

void DocumentBuilder::endParagraph(const QTextBlockFormat& block, const QTextCharFormat& format) {
    if (!openParagraph() || !reserve(1)) return;
    formatParagraph(block, format);
}

void DocumentBuilder::finish(const QTextBlockFormat& block, const QTextCharFormat& format) {
    flushRun();
    if (paragraphOpen_) formatParagraph(block, format);
    if (editing_) cursor_.endEditBlock();
    editing_ = false;
}

void DocumentBuilder::setDefaultTabWidth(qreal pixels) {
    QTextDocument* document = cursor_.document();
    QTextOption option = document->defaultTextOption();
    option.setTabStopDistance(pixels);
    document->setDefaultTextOption(option);
}

}  // namespace orvix::rtf
