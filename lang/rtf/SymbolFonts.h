#pragma once
// Fonts whose characters are pictures: their bytes (or their private-use code points U+F020 to
// U+F0FF, as newer writers store them) become the Unicode characters they look like, so that a
// bullet shows as a bullet in any font.

#include <QByteArrayView>
#include <QString>

namespace orvix::rtf {

enum class SymbolFont { None, Symbol, Wingdings };

// Which symbol font a font table entry is: by its name first, then by \fcharset2.
SymbolFont symbolFontOf(const QString& name, int charset);

// The Unicode character for one character of the font; characters outside the font's table are
// kept (Symbol) or become a bullet (Wingdings, whose pictures have no letters).
char16_t symbolFontChar(SymbolFont font, char16_t c);

QString decodeSymbolFont(SymbolFont font, QByteArrayView bytes);

}  // namespace orvix::rtf
