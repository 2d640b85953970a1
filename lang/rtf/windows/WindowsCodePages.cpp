// Windows: MultiByteToWideChar knows every code page the system has installed.

#include <windows.h>

#include "core/windows/WinText.h"
#include "lang/rtf/SystemCodePages.h"

namespace orvix::rtf {

bool systemDecodes(int codePage) { return codePage > 0 && IsValidCodePage(static_cast<UINT>(codePage)); }

QString systemDecode(int codePage, QByteArrayView bytes) {
    const auto page = static_cast<UINT>(codePage);
    // Whole characters only: each run of bytes is complete, so a dangling lead byte is dropped.
    qsizetype whole = 0;
    for (qsizetype i = 0; i < bytes.size();) {
        const bool lead = IsDBCSLeadByteEx(page, static_cast<BYTE>(bytes[i]));
        if (lead && i + 1 == bytes.size()) break;
        i += lead ? 2 : 1;
        whole = i;
    }
    return QString::fromStdWString(win::decode(page, bytes.data(), static_cast<size_t>(whole)));
}

}  // namespace orvix::rtf
