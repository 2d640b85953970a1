// Linux: Qt's converters (ICU) decode the code pages; the system adds none.

#include "lang/rtf/SystemCodePages.h"

namespace orvix::rtf {

bool systemDecodes(int) { return false; }

QString systemDecode(int, QByteArrayView) { return {}; }

}  // namespace orvix::rtf
