#include "lang/rtf/RtfTokenizer.h"

#include <limits>

#include "core/AsciiText.h"

namespace orvix::rtf {

namespace {

bool isLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool endsText(char c) { return c == '\\' || c == '{' || c == '}' || c == '\r' || c == '\n'; }

}  // namespace

Token Tokenizer::next() {
    Token token;
    while (pos_ < data_.size()) {
        char c = data_[pos_++];
        switch (c) {
        case '\r':
        case '\n': continue;
        case '{': token.kind = Token::GroupOpen; return token;
        case '}': token.kind = Token::GroupClose; return token;
        case '\\': break;
        default: {
            qsizetype start = pos_ - 1;
            while (pos_ < data_.size() && !endsText(data_[pos_])) ++pos_;
            token.kind = Token::Text;
            token.word = data_.sliced(start, pos_ - start);
            return token;
        }
        }
        if (pos_ >= data_.size()) return token;  // a lone backslash at the end
        char n = data_[pos_];
        if (isLetter(n)) return controlWord(pos_);
        ++pos_;
        if (n == '\'') {
            int high = pos_ < data_.size() ? hexDigit(data_[pos_]) : -1;
            if (high < 0) continue;  // not a byte: the \' is dropped
            ++pos_;
            int low = pos_ < data_.size() ? hexDigit(data_[pos_]) : -1;
            if (low < 0) continue;  // half a byte is dropped with it
            ++pos_;
            token.kind = Token::Byte;
            token.byte = static_cast<uint8_t>(high << 4 | low);
            return token;
        }
        if (n == '\\' || n == '{' || n == '}') {
            // Text bytes like any other: one may be the trail byte of a double-byte character.
            token.kind = Token::Byte;
            token.byte = static_cast<uint8_t>(n);
            return token;
        }
        token.kind = Token::ControlSymbol;
        token.symbol = n;
        return token;
    }
    return token;
}

Token Tokenizer::controlWord(qsizetype start) {
    Token token;
    token.kind = Token::ControlWord;
    qsizetype i = start;
    while (i < data_.size() && isLetter(data_[i])) ++i;
    token.word = data_.sliced(start, i - start);
    bool negative = i + 1 < data_.size() && data_[i] == '-' && isDigit(data_[i + 1]);
    if (negative) ++i;
    if (i < data_.size() && isDigit(data_[i])) {
        // Any number of digits is read; the value saturates instead of overflowing.
        int64_t value = 0;
        constexpr int64_t cap = int64_t(std::numeric_limits<int32_t>::max()) + 1;
        for (; i < data_.size() && isDigit(data_[i]); ++i)
            if (value < cap) value = value * 10 + (data_[i] - '0');
        if (negative) value = -value;
        if (value > std::numeric_limits<int32_t>::max()) value = std::numeric_limits<int32_t>::max();
        if (value < std::numeric_limits<int32_t>::min()) value = std::numeric_limits<int32_t>::min();
        token.hasParam = true;
        token.param = static_cast<int32_t>(value);
    }
    if (i < data_.size() && data_[i] == ' ') ++i;  // the delimiting space belongs to the word
    pos_ = i;
    if (token.word == "bin") {
        qsizetype count = token.hasParam && token.param > 0 ? token.param : 0;
        if (count > data_.size() - pos_) count = data_.size() - pos_;
        pos_ += count;
        token.kind = Token::Binary;
    }
    return token;
}

}  // namespace orvix::rtf
