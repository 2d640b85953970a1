#pragma once
// Reading back what the RTF reader put into a document: the text of each paragraph and a short
// description of each run's format, so that tests compare them as tables.

#include <gtest/gtest.h>

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTextDocument>
#include <QTextFormat>

#include <memory>
#include <ostream>

// Readable QStrings in test failures.
inline void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }

namespace orvix::test {

// A run's format in words: "b i u|u:dot|u:dash|u:wave s 12pt #ff0000 bg#ffff00 sup sub link=URL family=NAME",
// each part only when set ("12pt" always).
QString describeFormat(const QTextCharFormat& format, bool withFamily = false);

// A paragraph's format: "left|center|right|justify", then margins and first-line indent in
// pixels when not zero, and tab stops with their kind (r, c, d for decimal) when there are any:
// "left l=96 r=48 fi=-24 sb=8 sa=13 tabs=24,96r".
QString describeBlock(const QTextBlockFormat& format);

// The text of every paragraph (line breaks as '\n').
QStringList paragraphs(const QTextDocument& document);

// The format of the run that holds the first occurrence of text in the paragraph of that index;
// empty when not found or when text spans runs of different formats.
QString formatOf(const QTextDocument& document, int paragraph, const QString& text, bool withFamily = false);

// The format of the paragraph that holds text.
QString blockFormatOf(const QTextDocument& document, const QString& text);

QByteArray readFixture(const char* name);

// Parameterised tests are named by their case's name.
template <typename Case>
std::string caseName(const testing::TestParamInfo<Case>& info) {
    return info.param.name;
}

// readRtf into a fresh document.
struct Loaded {
    std::unique_ptr<QTextDocument> document;
    bool isRtf = false;
    QString warning;
};
Loaded load(const QByteArray& data);

}  // namespace orvix::test
