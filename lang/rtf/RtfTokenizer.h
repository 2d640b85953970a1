#pragma once
// Splits RTF bytes into groups, control words, control symbols and text bytes. Never reads past
// the data: a control word or \'hh cut off by the end simply ends there.

#include <QByteArrayView>

#include <cstdint>

namespace orvix::rtf {

struct Token {
    enum Kind { End, GroupOpen, GroupClose, ControlWord, ControlSymbol, Byte, Text, Binary };
    Kind kind = End;
    QByteArrayView word;    // ControlWord: its letters; Text: literal characters up to the next
                            // backslash, brace, CR or LF (at least one)
    bool hasParam = false;  // ControlWord: a number followed the letters
    int32_t param = 0;      // saturated to the range of int32_t
    char symbol = 0;        // ControlSymbol: the character after the backslash
    uint8_t byte = 0;       // Byte: the value of \'hh, or \ { } escaped
};

class Tokenizer {
public:
    explicit Tokenizer(QByteArrayView data) : data_(data) {}

    // The next token; End at the end of the data. \binN skips its N bytes (at most what is left)
    // and comes back as one Binary token. Literal CR and LF are not tokens.
    Token next();

private:
    Token controlWord(qsizetype start);

    QByteArrayView data_;
    qsizetype pos_ = 0;
};

}  // namespace orvix::rtf
