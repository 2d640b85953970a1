#include "lang/CaptionFaces.h"

#include <QApplication>
#include <QFontDatabase>
#include <QFontInfo>
#include <QLocale>
#include <QWidget>

namespace orvix {

namespace {

QStringList candidates(const QLocale& locale) {
    switch (locale.language()) {
    case QLocale::Chinese:
        if (locale.script() == QLocale::TraditionalHanScript) {
            if (locale.territory() == QLocale::HongKong || locale.territory() == QLocale::Macau)
                return {"Noto Sans CJK HK", "Source Han Sans HK", "Noto Sans CJK TC", "Microsoft JhengHei", "PMingLiU"};
            return {"Noto Sans CJK TC", "Source Han Sans TC", "Microsoft JhengHei", "PMingLiU"};
        }
        return {"Noto Sans CJK SC", "Source Han Sans SC", "WenQuanYi Micro Hei", "Microsoft YaHei", "SimSun"};
    case QLocale::Japanese:
        return {"Noto Sans CJK JP", "Source Han Sans JP", "IPAGothic", "Yu Gothic UI", "Meiryo UI", "MS UI Gothic"};
    case QLocale::Korean: return {"Noto Sans CJK KR", "Source Han Sans KR", "Malgun Gothic", "Gulim"};
    default: return {};
    }
}

QFont withFamilies(QFont font, const QStringList& families) {
    font.setFamilies(families);
    return font;
}

}  // namespace

QStringList preferredCaptionFaces(const QString& locale) {
    if (locale.trimmed().isEmpty()) return {};
    QStringList faces;
    for (const QString& face : candidates(QLocale(locale)))
        if (QFontDatabase::hasFamily(face)) faces << face;
    return faces;
}

void preferCaptionFaces(QWidget* window, const QStringList& faces) {
    // A window that was never given faces and is given none keeps the fonts the toolkit gave it:
    // setting every widget's font would cost a start a round of font changes and fresh font
    // matches that change nothing.
    static const char* const kGiven = "captionFacesGiven";
    if (faces.isEmpty() && !window->property(kGiven).toBool()) return;
    if (!faces.isEmpty()) window->setProperty(kGiven, true);
    // The preferred faces come first, then the face the application's font resolves to (a generic
    // name such as "Sans Serif" would be passed over in a list). Putting the application's face first
    // would not do: Qt caches a font by its first family, with whatever fallbacks it had the first
    // time, so one language's Han face would stay after a switch to another.
    QFont base = QApplication::font();
    QStringList families = faces;
    if (faces.isEmpty())
        families = base.families().isEmpty() ? QStringList{base.family()} : base.families();
    else
        families << QFontInfo(base).family();
    // Every widget is given the families itself: a widget under a style sheet keeps the font it had
    // when it was polished, and menus are windows of their own that do not take the window's font.
    window->setFont(withFamilies(window->font(), families));
    for (QWidget* widget : window->findChildren<QWidget*>()) widget->setFont(withFamilies(widget->font(), families));
}

}  // namespace orvix
