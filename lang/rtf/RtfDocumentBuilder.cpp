#include "lang/rtf/RtfDocumentBuilder.h"

#include <QTextBlock>
#include <QTextDocument>

#include <algorithm>

namespace orvix::rtf {

namespace {

constexpr char16_t zeroWidthSpace = 0x200B;

// Whether a line may break after c: after white space and dashes, and anywhere in scripts that
// break between characters (Chinese, Japanese, and characters beyond the basic plane). Text in
// other scripts without spaces simply gets a break opportunity now and then.
bool breaksAfter(QChar c) {
    if (c.unicode() < 0x80) return c == u' ' || c == u'-' || (c.unicode() >= 9 && c.unicode() <= 13);
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
    flushBlock(QTextBlockFormat(), QTextCharFormat());
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
    blockPending_ = paragraphs_ > 0;  // the document's first block is there already
    if (!blockPending_) paragraphStart_ = cursor_.position();
    ++paragraphs_;
    paragraphOpen_ = true;
    paragraphChars_ = unbroken_ = 0;
    return true;
}

bool DocumentBuilder::continueParagraph() {
    if (paragraphs_ >= maxParagraphs || !reserve(1)) {
        full_ = true;
        return false;
    }
    // The paragraph's blocks get their formats at its end, all at once.
    flushBlock(QTextBlockFormat(), QTextCharFormat());
    cursor_.insertBlock();
    ++paragraphs_;
    paragraphChars_ = unbroken_ = 0;
    return true;
}

void DocumentBuilder::flushBlock(const QTextBlockFormat& block, const QTextCharFormat& format) {
    if (blockPending_) {
        cursor_.insertBlock(block, format);
        blockPending_ = false;
        paragraphStart_ = cursor_.position();
    }
    for (Run& run : pending_)
        if (!run.text.isEmpty()) cursor_.insertText(run.text, run.format);
    // The last format goes on in the next block; its text buffer is kept for it.
    if (pending_.size() > 1) pending_.erase(pending_.begin(), pending_.end() - 1);
    if (!pending_.empty()) pending_.back().text.clear();
}

void DocumentBuilder::addText(const QString& text, const QTextCharFormat& format) {
    if (text.isEmpty() || !openParagraph()) return;
    if (runs_ == 0 || (format != pending_.back().format && runs_ < maxRuns)) {
        if (!pending_.empty() && pending_.back().text.isEmpty())
            pending_.back().format = format;  // the run before took no text
        else
            pending_.push_back({QString(), format});
        ++runs_;
    }
    // Characters go into the run a stretch at a time: a stretch ends where the text ends, a block
    // is continued or a place to break is added.
    qsizetype from = 0;
    qsizetype end = text.size();  // where the text stops going in
    auto take = [&](qsizetype to) {
        QString& run = pending_.back().text;
        if (from == 0 && to == text.size() && run.isEmpty())
            run = text;  // shared, not copied
        else
            run.append(QStringView(text).sliced(from, to - from));
        from = to;
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        QChar c = text[i];
        // A block is continued only when more text comes, so a paragraph never ends in an empty one.
        if (paragraphChars_ >= maxParagraphChars && !c.isLowSurrogate()) {
            take(i);
            if (!continueParagraph()) {
                end = i;
                break;
            }
        }
        if (!reserve(1)) {
            end = i;
            break;
        }
        ++paragraphChars_;
        unbroken_ = breaksAfter(c) ? 0 : unbroken_ + 1;
        if (c.isHighSurrogate()) continue;  // nothing comes between a surrogate pair
        if (unbroken_ >= maxUnbrokenChars) {
            take(i + 1);
            if (!reserve(1)) {
                end = i + 1;
                break;
            }
            pending_.back().text += QChar(zeroWidthSpace);
            ++paragraphChars_;
            unbroken_ = 0;
        }
    }
    take(std::max(from, end));
    QString& last = pending_.back().text;
    if (full_ && !last.isEmpty() && last.back().isHighSurrogate()) last.chop(1);  // cut inside a pair
}

void DocumentBuilder::formatParagraph(const QTextBlockFormat& block, const QTextCharFormat& format) {
    bool pending = blockPending_;
    flushBlock(block, format);
    paragraphOpen_ = false;
    // More than one block: continued, or Qt started new ones at line or paragraph separators in the text.
    bool oneBlock = cursor_.block().position() <= paragraphStart_;
    if (oneBlock && pending) return;  // it went in with its formats
    if (oneBlock) {  // the document's first block: no second cursor to make and drop
        cursor_.setBlockFormat(block);
        cursor_.setBlockCharFormat(format);
        return;
    }
    // Every block of the paragraph, a continued one's too.
    QTextCursor paragraph(cursor_);
    paragraph.setPosition(paragraphStart_, QTextCursor::KeepAnchor);
    paragraph.setBlockFormat(block);
    paragraph.setBlockCharFormat(format);
}

void DocumentBuilder::endParagraph(const QTextBlockFormat& block, const QTextCharFormat& format) {
    if (!openParagraph() || !reserve(1)) return;
    formatParagraph(block, format);
}

void DocumentBuilder::finish(const QTextBlockFormat& block, const QTextCharFormat& format) {
    if (paragraphOpen_)
        formatParagraph(block, format);
    else
        flushBlock(block, format);
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
