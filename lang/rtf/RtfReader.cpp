#include "lang/rtf/RtfReader.h"

#include <QStringDecoder>
#include <QTextCursor>
#include <QTextDocument>

namespace orvix {

bool readRtf(const QByteArray& data, QTextDocument& document, QString*) {
    QByteArray head = data.trimmed();
    if (!head.startsWith("{\\rtf")) return false;
    // Text, paragraphs, \uN and \'hh; destinations skipped.
    QString text;
    int depth = 0, skipDepth = -1, uc = 1, skipChars = 0;
    for (qsizetype i = 0; i < data.size(); ++i) {
        char c = data[i];
        if (c == '{') {
            ++depth;
            if (i + 2 < data.size() && data[i + 1] == '\\' && data[i + 2] == '*' && skipDepth < 0) skipDepth = depth;
            continue;
        }
        if (c == '}') {
            if (depth == skipDepth) skipDepth = -1;
            --depth;
            continue;
        }
        if (c == '\r' || c == '\n') continue;
        if (c == '\\') {
            qsizetype j = i + 1;
            if (j >= data.size()) break;
            char n = data[j];
            if (n == '\'' && j + 2 < data.size()) {
                bool ok;
                int v = data.mid(j + 1, 2).toInt(&ok, 16);
                if (skipDepth < 0 && ok) {
                    if (skipChars > 0)
                        --skipChars;
                    else
                        text += QChar(v);
                }
                i = j + 2;
                continue;
            }
            if (!std::isalpha(static_cast<unsigned char>(n))) {
                if (skipDepth < 0 && (n == '\\' || n == '{' || n == '}')) text += QChar(n);
                i = j;
                continue;
            }
            qsizetype k = j;
            while (k < data.size() && std::isalpha(static_cast<unsigned char>(data[k]))) ++k;
            QByteArray word = data.mid(j, k - j);
            qsizetype numStart = k;
            if (k < data.size() && data[k] == '-') ++k;
            while (k < data.size() && std::isdigit(static_cast<unsigned char>(data[k])) && k - numStart < 10) ++k;
            int param = data.mid(numStart, k - numStart).toInt();
            if (k < data.size() && data[k] == ' ') ++k;
            i = k - 1;
            if (word == "fonttbl" || word == "colortbl" || word == "stylesheet" || word == "info" || word == "pict") {
                if (skipDepth < 0) skipDepth = depth;
            }
            if (skipDepth >= 0) continue;
            if (word == "par" || word == "line") text += '\n';
            else if (word == "tab") text += '\t';
            else if (word == "uc") uc = param;
            else if (word == "u") {
                text += QChar(static_cast<char16_t>(param < 0 ? param + 65536 : param));
                skipChars = uc;
            } else if (word == "bullet") text += QChar(0x2022);
            continue;
        }
        if (skipDepth >= 0) continue;
        if (skipChars > 0) {
            --skipChars;
            continue;
        }
        text += QChar(static_cast<unsigned char>(c));
    }
    document.setPlainText(text);
    return true;
}

bool loadRichOrPlainText(const QByteArray& data, QTextDocument& document) {
    if (readRtf(data, document)) return true;
    QStringDecoder decoder(QStringDecoder::Utf8);
    QString text = decoder.decode(data);
    if (decoder.hasError()) return false;
    document.setPlainText(text);
    return true;
}

}  // namespace orvix
