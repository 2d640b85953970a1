#pragma once
// Text bytes of RTF in Windows code pages. Qt's own converters (ICU where Qt was built with it)
// do the work, else the system's own (Windows); windows-1252 has a built-in table so that
// Western text reads everywhere.

#include <QByteArrayView>
#include <QString>

#include <map>
#include <memory>

class QStringDecoder;

namespace orvix::rtf {

// Code pages that are not Windows code pages: the symbol fonts' own encodings.
inline constexpr int symbolCodePage = 42;      // Symbol and other \fcharset2 fonts
inline constexpr int wingdingsCodePage = -42;  // fonts named Wingdings...

// The code page of a \fcharsetN. ANSI (0), DEFAULT (1) and unknown charsets take the document's
// \ansicpgN: writers that know a single code page mark every font ANSI, whatever that page is.
int codePageForCharset(int charset, int ansiCodePage);

// Double-byte code pages (932, 936, 949, 950) need lead and trail byte together.
bool isDoubleByteCodePage(int codePage);

// windows-1252 without any converter: what unknown code pages fall back to.
QString decodeWindows1252(QByteArrayView bytes);

class CodePageDecoder {
public:
    CodePageDecoder();
    ~CodePageDecoder();

    // The bytes as text. A code page with no converter here reads as windows-1252 and is
    // remembered in unsupported(). A lead byte without its trail byte is dropped.
    QString decode(int codePage, QByteArrayView bytes);

    // Code pages that were asked for and could not be decoded, comma separated; empty if none.
    QString unsupported() const { return unsupported_; }

    // Only for tests: pretend neither Qt nor the system has a converter for any code page.
    void useBuiltInTablesOnly() { builtInOnly_ = true; }

private:
    QStringDecoder* decoderFor(int codePage);
    bool bySystem(int codePage) const;  // Qt has no converter, the system has one

    std::map<int, std::unique_ptr<QStringDecoder>> decoders_;
    QString unsupported_;
    bool builtInOnly_ = false;
};

}  // namespace orvix::rtf
