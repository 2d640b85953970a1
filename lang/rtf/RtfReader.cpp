#include "lang/rtf/RtfReader.h"

#include <QTextDocument>

#include "lang/rtf/RtfParser.h"

namespace orvix {

namespace {

// Where the document's group starts, or -1 when the data is not RTF.
qsizetype rtfStart(QByteArrayView data) {
    qsizetype i = data.startsWith("\xEF\xBB\xBF") ? 3 : 0;
    while (i < data.size() && (data[i] == ' ' || (data[i] >= '\t' && data[i] <= '\r'))) ++i;
    return data.sliced(i).startsWith("{\\rtf") ? i : -1;
}

}  // namespace

bool isRtf(QByteArrayView data) { return rtfStart(data) >= 0; }

bool readRtf(const QByteArray& data, QTextDocument& document, QString* warning) {
    qsizetype start = rtfStart(data);
    if (start < 0) return false;
    bool undo = document.isUndoRedoEnabled();
    document.setUndoRedoEnabled(false);  // a loaded page is not an edit
    document.clear();
    rtf::Parser parser(document);
    parser.parse(QByteArrayView(data).sliced(start));
    document.setUndoRedoEnabled(undo);
    if (warning) *warning = parser.warnings().join(QStringLiteral("; "));
    return true;
}

}  // namespace orvix
