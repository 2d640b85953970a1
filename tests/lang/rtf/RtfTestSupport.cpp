#include "tests/lang/rtf/RtfTestSupport.h"

#include <QFile>
#include <QTextBlock>
#include <QTextCursor>

#include <gtest/gtest.h>

#include "lang/rtf/RtfReader.h"

namespace orvix::test {

QString describeFormat(const QTextCharFormat& format, bool withFamily) {
    QStringList parts;
    if (format.fontWeight() >= QFont::Bold) parts << "b";
    if (format.fontItalic()) parts << "i";
    switch (format.underlineStyle()) {
    case QTextCharFormat::NoUnderline: break;
    case QTextCharFormat::SingleUnderline: parts << "u"; break;
    case QTextCharFormat::DotLine: parts << "u:dot"; break;
    case QTextCharFormat::DashUnderline: parts << "u:dash"; break;
    case QTextCharFormat::WaveUnderline: parts << "u:wave"; break;
    default: parts << "u:other"; break;
    }
    if (format.fontStrikeOut()) parts << "s";
    parts << QString::number(format.fontPointSize()) + "pt";
    if (format.hasProperty(QTextFormat::ForegroundBrush)) parts << format.foreground().color().name();
    if (format.hasProperty(QTextFormat::BackgroundBrush)) parts << "bg" + format.background().color().name();
    if (format.verticalAlignment() == QTextCharFormat::AlignSuperScript) parts << "sup";
    if (format.verticalAlignment() == QTextCharFormat::AlignSubScript) parts << "sub";
    if (format.isAnchor()) parts << "link=" + format.anchorHref();
    if (withFamily) parts << "family=" + namedFace(format);
    return parts.join(' ');
}

QString describeBlock(const QTextBlockFormat& format) {
    QString text;
    Qt::Alignment align = format.alignment() & Qt::AlignHorizontal_Mask;
    text = align & Qt::AlignHCenter   ? "center"
           : align & Qt::AlignRight   ? "right"
           : align & Qt::AlignJustify ? "justify"
                                      : "left";
    auto add = [&](const char* name, qreal value) {
        if (value != 0) text += QString(" %1=%2").arg(name).arg(qRound(value));
    };
    add("l", format.leftMargin());
    add("r", format.rightMargin());
    add("fi", format.textIndent());
    add("sb", format.topMargin());
    add("sa", format.bottomMargin());
    QStringList tabs;
    for (const QTextOption::Tab& tab : format.tabPositions()) {
        const char* type = tab.type == QTextOption::RightTab       ? "r"
                           : tab.type == QTextOption::CenterTab    ? "c"
                           : tab.type == QTextOption::DelimiterTab ? "d"
                                                                   : "";
        tabs << QString::number(qRound(tab.position)) + type;
    }
    if (!tabs.isEmpty()) text += " tabs=" + tabs.join(',');
    return text;
}

QStringList paragraphs(const QTextDocument& document) {
    QStringList result;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next())
        result << block.text().replace(QChar::LineSeparator, u'\n');
    return result;
}

QString formatOf(const QTextDocument& document, int paragraph, const QString& text, bool withFamily) {
    QTextBlock block = document.findBlockByNumber(paragraph);
    {
        qsizetype at = block.text().indexOf(text);
        if (at < 0) return {};
        QString found;
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            QTextFragment fragment = it.fragment();
            qsizetype start = fragment.position() - block.position();
            qsizetype end = start + fragment.length();
            if (end <= at || start >= at + text.size()) continue;
            QString description = describeFormat(fragment.charFormat(), withFamily);
            if (!found.isEmpty() && found != description) return {};
            found = description;
        }
        return found;
    }
}

QString blockFormatOf(const QTextDocument& document, const QString& text) {
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next())
        if (block.text().contains(text)) return describeBlock(block.blockFormat());
    return {};
}

QByteArray readFixture(const char* name) {
    QFile file(QStringLiteral(ORVIX_RTF_FIXTURES "/") + name);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << name;
    return file.readAll();
}

Loaded load(const QByteArray& data) {
    Loaded loaded;
    loaded.document = std::make_unique<QTextDocument>();
    loaded.isRtf = readRtf(data, *loaded.document, &loaded.warning);
    return loaded;
}

}  // namespace orvix::test
