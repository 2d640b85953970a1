#pragma once
// The operating system's own converters for Windows code pages, for those Qt has none of: Qt for
// Windows is built without ICU and knows almost none, while Windows has them all. On Linux Qt's
// converters (ICU) do the work and the system offers none here.

#include <QByteArrayView>
#include <QString>

namespace orvix::rtf {

// Whether the system can decode this code page.
bool systemDecodes(int codePage);

// The bytes as text. A lead byte without its trail byte at the end is dropped.
QString systemDecode(int codePage, QByteArrayView bytes);

}  // namespace orvix::rtf
