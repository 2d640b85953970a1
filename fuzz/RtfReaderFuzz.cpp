// Help pages of any bytes into a document, laid out as the help view lays it out: no fault, the
// document's bounds hold, and the reader's time grows with the input's size, never faster.
#include <QGuiApplication>
#include <QTextDocument>

#include "fuzz/FuzzCheck.h"
#include "lang/rtf/RtfDocumentBuilder.h"
#include "lang/rtf/RtfReader.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(*argc, *argv);                                             // fonts for the layout
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});  // Qt's font notes
    // The first layout loads the fonts: not a cost of any one input.
    QTextDocument warm;
    warm.setHtml(QStringLiteral("<b>x</b> \u4f60\u597d \u3053\u3093"));
    warm.size();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace orvix;
    QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));

    QTextDocument document;
    document.setTextWidth(361);  // the help view's width
    QString warning;
    bool rtf;
    {
        // The reader only: the layout below loads each font the first time it is used.
        fuzz::TimePerByte bound(size, 50);
        rtf = readRtf(bytes, document, &warning);
    }
    // RTF when "{\rtf" comes first after an optional byte-order mark and white space.
    QByteArray start = bytes.startsWith("\xEF\xBB\xBF") ? bytes.mid(3).trimmed() : bytes.trimmed();
    FUZZ_CHECK(rtf == start.startsWith("{\\rtf"));
    if (rtf) {
        // Every paragraph may also have been continued once per maxParagraphChars characters.
        FUZZ_CHECK(document.characterCount() <= rtf::maxDocumentChars + rtf::maxParagraphs + 1);
        FUZZ_CHECK(document.blockCount() <= rtf::maxParagraphs + 1);
        FUZZ_CHECK(document.size().height() >= 0);  // the layout
    }

    QTextDocument fallback;
    fallback.setTextWidth(361);
    if (loadRichOrPlainText(bytes, fallback)) FUZZ_CHECK(fallback.size().height() >= 0);
    return 0;
}
