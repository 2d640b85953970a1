#pragma once
// The help pages' rich text: RTF read into a QTextDocument by the project's own reader, and the
// plain-text fallback for pages that are not RTF.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QTextCharFormat>

#include <optional>

class QTextDocument;

namespace orvix {

// Reads RTF into the document, replacing what it held. Returns false, leaving the document as it
// was, when the data is not RTF: it does not start with "{\rtf" after optional ASCII white space
// (and an optional UTF-8 byte-order mark). Malformed RTF (truncated, unbalanced braces, huge
// numbers, deep nesting) still loads what can be read, and warning (when given) tells what was
// wrong, empty when nothing was. Bounded: groups deeper than 200 are read as one level, numbers
// are clamped, text beyond 2^20 characters or 2^16 paragraphs is dropped, and formats beyond
// 2^14 runs are not kept (see RtfDocumentBuilder.h).
bool readRtf(const QByteArray& data, QTextDocument& document, QString* warning = nullptr);

// Whether readRtf takes the data as RTF (which it always reads, malformed or not).
bool isRtf(QByteArrayView data);

// The face a run's font table entry names (empty for none, and for symbol fonts). The run shows
// that face where the desktop has it; where it does not, the document's own font, rather than a
// stand-in of another family.
QString namedFace(const QTextCharFormat& format);

// Decodes text that has no byte-order mark; nullopt when it is not valid text in its encoding.
using PlainTextDecoder = std::optional<QString> (*)(QByteArrayView bytes);

// UTF-8, refusing malformed sequences (the default text encoding on Linux).
std::optional<QString> decodeUtf8Strictly(QByteArrayView bytes);

// What the help views do: RTF into the document, else the data as plain text, else false (the
// caller raises "Failed to Load Stream"). Plain text is decoded by its byte-order mark (UTF-8,
// UTF-16 LE, UTF-16 BE), without one by decodeWithoutMark. The data can be taken neither way when
// that decoding fails (malformed UTF-8, an odd number of UTF-16 bytes, a lone surrogate) or the
// text holds a NUL character: binary data, and UTF-16 or UTF-32 without a byte-order mark, are
// refused rather than shown as garbage. Empty data is an empty page. On failure the document is
// left as it was. Plain text is bounded as RTF is, and bytes beyond what the bounds can take are
// never decoded.
bool loadRichOrPlainText(const QByteArray& data, QTextDocument& document,
                         PlainTextDecoder decodeWithoutMark = decodeUtf8Strictly);

}  // namespace orvix
