// The help pages' fallback: data that is not RTF shown as plain text, when it is text at all.
#include <QStringDecoder>
#include <QTextDocument>

#include "lang/rtf/RtfDocumentBuilder.h"
#include "lang/rtf/RtfReader.h"

namespace orvix {

namespace {

// Enough bytes for the most characters a page keeps, in any encoding (UTF-8 takes at most three
// bytes per UTF-16 unit); bytes beyond them are never decoded.
constexpr qsizetype maxPlainBytes = 4 * rtf::maxDocumentChars;

// A prefix of UTF-8 (or single-byte) text that does not end inside a character.
QByteArrayView utf8Prefix(QByteArrayView bytes) {
    if (bytes.size() <= maxPlainBytes) return bytes;
    QByteArrayView cut = bytes.first(maxPlainBytes);
    qsizetype lead = cut.size() - 1;
    while (lead > 0 && cut.size() - lead < 4 && (static_cast<uint8_t>(cut[lead]) & 0xC0) == 0x80) --lead;
    auto b = static_cast<uint8_t>(cut[lead]);
    qsizetype length = b < 0x80 ? 1 : (b >> 5) == 0x6 ? 2 : (b >> 4) == 0xE ? 3 : (b >> 3) == 0x1E ? 4 : 1;
    return lead + length > cut.size() ? cut.first(lead) : cut;
}

// A prefix of UTF-16 text of whole units that does not end inside a surrogate pair.
QByteArrayView utf16Prefix(QByteArrayView bytes, bool bigEndian) {
    if (bytes.size() <= maxPlainBytes) return bytes;
    QByteArrayView cut = bytes.first(maxPlainBytes);  // an even count
    auto last = static_cast<uint8_t>(cut[cut.size() - (bigEndian ? 2 : 1)]);
    return (last & 0xFC) == 0xD8 ? cut.first(cut.size() - 2) : cut;
}

std::optional<QString> decodeStrictly(QStringConverter::Encoding encoding, QByteArrayView bytes) {
    QStringDecoder decoder(encoding, QStringConverter::Flag::Stateless);
    QString text = decoder.decode(bytes);
    if (decoder.hasError()) return std::nullopt;
    return text;
}

// Qt's UTF-16 decoder takes a cut-off unit and lone surrogates without complaint.
std::optional<QString> decodeUtf16Strictly(QStringConverter::Encoding encoding, QByteArrayView bytes) {
    if (bytes.size() % 2) return std::nullopt;
    std::optional<QString> text = decodeStrictly(encoding, bytes);
    if (!text) return text;
    for (qsizetype i = 0; i < text->size(); ++i) {
        QChar c = text->at(i);
        if (c.isHighSurrogate() && i + 1 < text->size() && text->at(i + 1).isLowSurrogate())
            ++i;
        else if (c.isSurrogate())
            return std::nullopt;
    }
    return text;
}

// Plain text into the document as the RTF reader puts text there, and so bounded alike: one
// format, a paragraph per line (CR, LF, CR LF or U+2029).
void readPlainText(const QString& text, QTextDocument& document) {
    bool undo = document.isUndoRedoEnabled();
    document.setUndoRedoEnabled(false);  // a loaded page is not an edit
    document.clear();
    {
        rtf::DocumentBuilder builder(document);
        const QTextCharFormat format;
        const QTextBlockFormat block;
        qsizetype start = 0;
        for (qsizetype i = 0; i < text.size() && !builder.full(); ++i) {
            QChar c = text[i];
            if (c != u'\n' && c != u'\r' && c != QChar::ParagraphSeparator) continue;
            builder.addText(text.sliced(start, i - start), format);
            if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ++i;
            builder.endParagraph(block, format);
            start = i + 1;
        }
        if (start < text.size()) builder.addText(text.sliced(start), format);
        builder.finish(block, format);
    }
    document.setUndoRedoEnabled(undo);
}

}  // namespace

std::optional<QString> decodeUtf8Strictly(QByteArrayView bytes) {
    return decodeStrictly(QStringConverter::Utf8, bytes);
}

bool loadRichOrPlainText(const QByteArray& data, QTextDocument& document, PlainTextDecoder decodeWithoutMark) {
    if (readRtf(data, document)) return true;
    QByteArrayView bytes(data);
    std::optional<QString> text;
    if (bytes.startsWith("\xEF\xBB\xBF"))
        text = decodeStrictly(QStringConverter::Utf8, utf8Prefix(bytes.sliced(3)));
    else if (bytes.startsWith("\xFF\xFE"))
        text = decodeUtf16Strictly(QStringConverter::Utf16LE, utf16Prefix(bytes.sliced(2), false));
    else if (bytes.startsWith("\xFE\xFF"))
        text = decodeUtf16Strictly(QStringConverter::Utf16BE, utf16Prefix(bytes.sliced(2), true));
    else
        text = decodeWithoutMark(utf8Prefix(bytes));
    if (!text || text->contains(QChar(0))) return false;
    readPlainText(*text, document);
    return true;
}

}  // namespace orvix
