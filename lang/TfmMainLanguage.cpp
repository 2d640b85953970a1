// The main window's languages: the Language menu from the language folders beside the program,
// loading a language (help pages and caption catalogue), switching, and the caption export.

#include <QAction>
#include <QActionGroup>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSystemTrayIcon>
#include <QTabWidget>
#include <QTextBrowser>
#include <filesystem>

#include "app/ErrorReport.h"
#include "app/TfmMain.h"
#include "lang/CaptionFaces.h"
#include "lang/FolderLookup.h"
#include "lang/TextDecoding.h"
#include "lang/rtf/RtfReader.h"
#include "msKey/TfmKeyDef.h"

namespace orvix {

namespace {

namespace fs = std::filesystem;

std::string utf8(const QString& s) { return s.toStdString(); }
QString qstr(const std::string& s) { return QString::fromStdString(s); }

CaptionComponent plain(const QString& name, std::function<QString()> get, std::function<void(const QString&)> set) {
    return {name, std::move(get), std::move(set), {}, {}};
}

CaptionComponent menuEntry(QAction* a) {
    return {a->objectName(), {}, {},
            [a] { return MenuEntryValue{utf8(a->data().toString()), a->property("Tag").toInt(), utf8(captionOf(a))}; },
            [a](const MenuEntryValue& v) {
                a->setData(qstr(v.hint));
                a->setProperty("Tag", v.tag);
                a->setText(menuText(qstr(v.caption)));
            }};
}

CaptionComponent button(QPushButton* b) {
    return plain(b->objectName(), [b] { return QString(b->text()).replace("&&", "&"); },
                 [b](const QString& c) { b->setText(menuText(c)); });
}

std::string cannotOpen(const std::string& path, const std::string& reason) {
    // As the platform writes paths: the program folder comes from Qt with '/' on Windows too.
    return "Cannot open file \"" + QDir::toNativeSeparators(qstr(path)).toStdString() + "\". " + reason;
}

}  // namespace

CaptionComponents TfmMain::captionComponents() {
    auto page = [this](QWidget* p) {
        return plain(p->objectName(), [this, p] { return pcFunc->tabText(pcFunc->indexOf(p)).replace("&&", "&"); },
                     [this, p](const QString& c) { pcFunc->setTabText(pcFunc->indexOf(p), menuText(c)); });
    };
    auto panel = [](QWidget* w) {
        return plain(w->objectName(), [w] { return widgetCaption(w); }, [w](const QString& c) { setWidgetCaption(w, c); });
    };
    auto label = [](QLabel* l) {
        return plain(l->objectName(), [l] { return l->text(); }, [l](const QString& c) { l->setText(c); });
    };
    CaptionComponents list;
    list.push_back(plain("fmCaption", [this] { return windowTitle(); }, [this](const QString& c) { setWindowTitle(c); }));
    // In the order the window declares them: the gauge, the memo, the page control, the rich text
    // views, the key rows, the picture and the hot-spots take no part.
    list.push_back(panel(sPanel1));
    for (QPushButton* b : {btReset, btCancel, btEnter, btApply}) list.push_back(button(b));
    list.push_back(page(pgStartStat));
    list.push_back(page(pgButtonSet));
    list.push_back(page(pgLedIndicator));
    list.push_back(plain("dpiSel", [this] { return dpiSel->title(); }, [this](const QString& c) { dpiSel->setTitle(c); }));
    list.push_back(panel(pnPic));
    for (QLabel* l : {tpPower, tpUSBchg, tpLEDindicator}) list.push_back(label(l));
    // The tray menu's entries, the Language entries the scan took out of the menu included.
    for (QAction* a : {mnOpen, mnHide, mnLanguage, mnLang_En, mnLang_CHN, J1, mnAutoRun, mnExit}) list.push_back(menuEntry(a));
    return list;
}

QList<QAction*> TfmMain::languageEntries() const { return mnLanguageMenu->actions(); }

void TfmMain::showExportView() {
    if (!exportShown_) {
        exportShown_ = true;
        smsg->resize(500, smsg->height());
        setFixedWidth(pnPic->x() + pnPic->width() + 500);
        smsg->show();
        dockControls();
    }
    std::vector<std::string> list;
    exportCaptions("main", captionComponents(), list);
    exportCaptions("keyDef", fmKeyDef0->captionComponents(), list);
    smsg->clear();
    QStringList lines;
    for (const std::string& line : list) lines << qstr(line);
    smsg->setPlainText(lines.join('\n'));
}

void TfmMain::smsgDblClick() {
    smsg->clear();
    std::string path = utf8String(utf8Path(utf8(programFolder_)) / "Lang.txt");
    CaptionCatalogue catalogue;
    std::string reason;
    if (!catalogue.load(path, reason)) throw std::runtime_error(cannotOpen(path, reason));
    QStringList lines;
    for (const std::string& line : catalogue.lines()) lines << qstr(line);
    smsg->setPlainText(lines.join('\n'));
}

void TfmMain::scanLanguages() {
    // Only the fixed first entry stays; the built-in others are taken out, still owned here.
    for (QAction* a : mnLanguageMenu->actions())
        if (a != mnLang_En) mnLanguageMenu->removeAction(a);
    std::error_code ec;
    fs::path folder = utf8Path(utf8(programFolder_));
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = utf8String(it->path().filename());
        std::error_code sec;
        // A plain folder: not a link, not hidden.
        if (it->is_symlink(sec) || !it->is_directory(sec) || name.empty() || name[0] == '.') continue;
        std::string lowered = asciiLowered(name);
        if (lowered == "." || lowered == ".." || lowered == "en") continue;
        std::string file = findIgnoringCase(utf8String(it->path()), "lang.txt");
        if (file.empty()) continue;
        CaptionCatalogue catalogue;
        std::string reason;
        if (!catalogue.load(file, reason)) throw std::runtime_error(cannotOpen(file, reason));
        std::string display = languageDisplayName(catalogue.lines());
        if (display.empty()) continue;
        QAction* entry = mnLanguageMenu->addAction(menuText(qstr(display)));
        entry->setObjectName(qstr("mn_Lang__" + name));
        entry->setData(qstr(name));
        entry->setCheckable(true);
        languageGroup->addAction(entry);
        connect(entry, &QAction::triggered, this, [this, entry] { guarded([&] { mnLang_EnClick(entry); }); });
    }
}

void TfmMain::loadRtf(QTextBrowser* view, const QString& path) {
    std::string file = findIgnoringCase(utf8(QFileInfo(path).path()), utf8(QFileInfo(path).fileName()));
    if (file.empty()) return;  // the page keeps its text
    std::vector<uint8_t> bytes;
    std::string reason;
    if (!readWholeFile(file, bytes, reason)) throw std::runtime_error(cannotOpen(file, reason));
    QTextDocument document;
    if (!loadRichOrPlainText(QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size())),
                             document))
        throw std::runtime_error("Failed to Load Stream");
    view->clear();
    view->setDocument(document.clone(view));
}

void TfmMain::loadLanguage(const std::string& code) {
    std::string folder = findIgnoringCase(utf8(programFolder_), code);
    if (folder.empty()) folder = utf8String(utf8Path(utf8(programFolder_)) / utf8Path(code));
    QString base = qstr(folder) + "/";
    loadRtf(reStart, base + "Start.rtf");
    loadRtf(reLED, base + "LED.rtf");

    std::string file = findIgnoringCase(folder, "Lang.txt");
    CaptionCatalogue catalogue;
    std::string reason;
    if (file.empty() || !catalogue.load(file, reason)) return;  // never reported

    QStringList lines;
    for (const std::string& line : catalogue.lines()) lines << qstr(line);
    smsg->setPlainText(lines.join('\n'));
    applyCaptions("main", captionComponents(), catalogue);
    for (TfmKeyDef* row : keySet) applyCaptions("keyDef", row->captionComponents(), catalogue);
    preferCaptionFaces(this, preferredCaptionFaces(qstr(captionLocale(catalogue))));
    for (TfmKeyDef* row : keySet) row->keyReset();
    // The first entry whose code equals the current one, A to Z without regard to case.
    for (QAction* entry : languageEntries()) {
        if (asciiLowered(utf8(entry->data().toString())) == asciiLowered(curLang)) {
            entry->setChecked(true);
            checkedLanguage_ = entry;
            break;
        }
    }
    mTray->setToolTip(windowTitle());
}

void TfmMain::mnLang_EnClick(QAction* Sender) {
    // A click does not move the check mark by itself; the load sets it.
    if (checkedLanguage_)
        checkedLanguage_->setChecked(true);
    else
        Sender->setChecked(false);
    std::string code = utf8(Sender->data().toString());
    if (code == curLang) return;
    curLang = code;
    if (settings_) settings_->writeLanguage(curLang);  // remembered before the files are read
    loadLanguage(curLang);
}

}  // namespace orvix
