#include "lang/rtf/CodePages.h"

#include <QStringDecoder>

#include <algorithm>

#include "lang/TextDecoding.h"
#include "lang/rtf/SymbolFonts.h"
#include "lang/rtf/SystemCodePages.h"

namespace orvix::rtf {

namespace {

// Names that Qt's converters know; a few code pages have a second name for older ICU versions.
struct CodePageName {
    int codePage;
    const char* names[2];
};

// clang-format off
const CodePageName codePageNames[] = {
    {437, {"IBM437", nullptr}},
    {850, {"IBM850", nullptr}},
    {874, {"windows-874", "TIS-620"}},
    {932, {"windows-31j", "Shift_JIS"}},
    {936, {"windows-936", "GBK"}},
    {949, {"windows-949", "EUC-KR"}},
    {950, {"windows-950", "Big5"}},
    {1250, {"windows-1250", nullptr}},
    {1251, {"windows-1251", nullptr}},
    {1252, {"windows-1252", nullptr}},
    {1253, {"windows-1253", nullptr}},
    {1254, {"windows-1254", nullptr}},
    {1255, {"windows-1255", nullptr}},
    {1256, {"windows-1256", nullptr}},
    {1257, {"windows-1257", nullptr}},
    {1258, {"windows-1258", nullptr}},
    {10000, {"macintosh", nullptr}},
    {65001, {"UTF-8", nullptr}},
};
// clang-format on

// Printable ASCII is the same characters in every code page above, and most of a page's text.
// (Control characters are not: some IBM tables swap a few of them.)
bool sharesPrintableAscii(int codePage) {
    return std::any_of(std::begin(codePageNames), std::end(codePageNames),
                       [&](const CodePageName& entry) { return entry.codePage == codePage; });
}

bool printableAscii(QByteArrayView bytes) {
    return std::all_of(bytes.begin(), bytes.end(), [](char c) { return c >= 0x20 && c < 0x7F; });
}

}  // namespace

int codePageForCharset(int charset, int ansiCodePage) {
    switch (charset) {
    case 2: return symbolCodePage;
    case 77: return 10000;
    case 128: return 932;
    case 129: return 949;
    case 134: return 936;
    case 136: return 950;
    case 161: return 1253;
    case 162: return 1254;
    case 163: return 1258;
    case 177: return 1255;
    case 178: return 1256;
    case 186: return 1257;
    case 204: return 1251;
    case 222: return 874;
    case 238: return 1250;
    case 254: return 437;
    case 255: return 437;
    default: return ansiCodePage;
    }
}

bool isDoubleByteCodePage(int codePage) {
    return codePage == 932 || codePage == 936 || codePage == 949 || codePage == 950;
}

QString decodeWindows1252(QByteArrayView bytes) {
    QString text;
    text.reserve(bytes.size());
    for (char c : bytes) text += QChar(windows1252Char(static_cast<uint8_t>(c)));
    return text;
}

CodePageDecoder::CodePageDecoder() = default;
CodePageDecoder::~CodePageDecoder() = default;

QStringDecoder* CodePageDecoder::decoderFor(int codePage) {
    auto found = decoders_.find(codePage);
    if (found != decoders_.end()) return found->second.get();
    std::unique_ptr<QStringDecoder> decoder;
    if (!builtInOnly_) {
        for (const CodePageName& entry : codePageNames) {
            if (entry.codePage != codePage) continue;
            for (const char* name : entry.names) {
                if (!name) continue;
                // Stateless: each run of bytes is complete; a dangling lead byte is dropped.
                auto candidate = std::make_unique<QStringDecoder>(name, QStringConverter::Flag::Stateless);
                if (candidate->isValid()) {
                    decoder = std::move(candidate);
                    break;
                }
            }
        }
    }
    if (!decoder && codePage != 1252 && !bySystem(codePage)) {
        if (!unsupported_.isEmpty()) unsupported_ += ", ";
        unsupported_ += QString::number(codePage);
    }
    return decoders_.emplace(codePage, std::move(decoder)).first->second.get();
}

bool CodePageDecoder::bySystem(int codePage) const { return !builtInOnly_ && systemDecodes(codePage); }

QString CodePageDecoder::decode(int codePage, QByteArrayView bytes) {
    if (codePage == symbolCodePage || codePage == wingdingsCodePage)
        return decodeSymbolFont(codePage == wingdingsCodePage ? SymbolFont::Wingdings : SymbolFont::Symbol, bytes);
    QStringDecoder* decoder = decoderFor(codePage);  // also notes a code page read as windows-1252
    if (sharesPrintableAscii(codePage) && printableAscii(bytes)) return QString::fromLatin1(bytes);
    if (!decoder && bySystem(codePage)) return systemDecode(codePage, bytes);
    if (!decoder) return decodeWindows1252(bytes);
    return decoder->decode(bytes);
}

}  // namespace orvix::rtf
