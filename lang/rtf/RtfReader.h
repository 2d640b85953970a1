#pragma once
// The help pages' rich text: RTF read into a QTextDocument by the project's own reader.

#include <QByteArray>
#include <QString>

class QTextDocument;

namespace orvix {

// False when the data is not RTF.
bool readRtf(const QByteArray& data, QTextDocument& document, QString* warning = nullptr);

// RTF into the document, else the data as plain text; false when it can be taken neither way.
bool loadRichOrPlainText(const QByteArray& data, QTextDocument& document);

}  // namespace orvix
