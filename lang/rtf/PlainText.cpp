// The help pages' fallback: data that is not RTF shown as plain text, when it is text at all.
#include <QStringDecoder>
#include <QTextDocument>

#include "lang/rtf/RtfReader.h"

namespace orvix {

namespace {

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

}  // namespace

std::optional<QString> decodeUtf8Strictly(QByteArrayView bytes) {
    return decodeStrictly(QStringConverter::Utf8, bytes);
}

bool loadRichOrPlainText(const QByteArray& data, QTextDocument& document, PlainTextDecoder decodeWithoutMark) {
    if (readRtf(data, document)) return true;
    QByteArrayView bytes(data);
    std::optional<QString> text;
    if (bytes.startsWith("\xEF\xBB\xBF"))
        text = decodeStrictly(QStringConverter::Utf8, bytes.sliced(3));
    else if (bytes.startsWith("\xFF\xFE"))
        text = decodeUtf16Strictly(QStringConverter::Utf16LE, bytes.sliced(2));
    else if (bytes.startsWith("\xFE\xFF"))
        text = decodeUtf16Strictly(QStringConverter::Utf16BE, bytes.sliced(2));
    else
        text = decodeWithoutMark(bytes);
    if (!text || text->contains(QChar(0))) return false;
    document.setPlainText(*text);
    return true;
}

}  // namespace orvix
