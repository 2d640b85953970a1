// The main window's languages: the Language menu from the language folders beside the program,
// loading a language (help pages and caption catalogue), switching, and the caption export. What
// the folders hold and what a load reads is lang/LanguageFolders; this file shows it.

#include <QAction>
#include <QActionGroup>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSystemTrayIcon>
#include <QTabWidget>
#include <QTextBrowser>
#include <QTextDocument>
#include <memory>
#include <optional>
#include <stdexcept>

#include "app/DeferredMemoText.h"
#include "app/ErrorReport.h"
#include "app/TfmMain.h"
#include "app/WhenShown.h"
#include "core/AsciiText.h"
#include "lang/CaptionFaces.h"
#include "lang/CaptionText.h"
#include "lang/FolderLookup.h"
#include "lang/LanguageFolders.h"
#include "lang/TextDecoding.h"
#include "lang/rtf/RtfReader.h"
#include "msKey/TfmKeyDef.h"

namespace orvix {

namespace {

std::string utf8(const QString& s) { return s.toStdString(); }
QString qstr(const std::string& s) { return QString::fromStdString(s); }

CaptionComponent plain(const QString& name, std::function<QString()> get, std::function<void(const QString&)> set) {
    return {name, std::move(get), std::move(set), {}, {}};
}

CaptionComponent menuEntry(QAction* a) {
    return {a->objectName(),
            {},
            {},
            [a] {
                return MenuEntryValue{utf8(a->data().toString()), a->property("Tag").toInt(), utf8(captionOf(a))};
            },
            [a](const MenuEntryValue& v) {
                a->setData(qstr(v.hint));
                a->setProperty("Tag", v.tag);
                a->setText(menuText(qstr(v.caption)));
            }};
}

CaptionComponent button(QPushButton* b) {
    return plain(
        b->objectName(), [b] { return QString(b->text()).replace("&&", "&"); },
        [b](const QString& c) { b->setText(menuText(c)); });
}

// Help pages without a byte-order mark may come from anywhere: UTF-8 when valid, else the
// platform's default encoding (as catalogues are read).
std::optional<QString> decodeHelpText(QByteArrayView bytes) {
    std::vector<uint8_t> data(bytes.begin(), bytes.end());
    return QString::fromStdString(decodeUtf8OrDefault(data));
}

}  // namespace

DeferredMemoText& TfmMain::memoText() {
    if (!memoText_) memoText_ = new DeferredMemoText(smsg);
    return *memoText_;
}

CaptionComponents TfmMain::captionComponents() {
    auto page = [this](QWidget* p) {
        return plain(
            p->objectName(), [this, p] { return pcFunc->tabText(pcFunc->indexOf(p)).replace("&&", "&"); },
            [this, p](const QString& c) { pcFunc->setTabText(pcFunc->indexOf(p), menuText(c)); });
    };
    auto panel = [](QWidget* w) {
        return plain(
            w->objectName(), [w] { return widgetCaption(w); }, [w](const QString& c) { setWidgetCaption(w, c); });
    };
    auto label = [](QLabel* l) {
        return plain(
            l->objectName(), [l] { return l->text(); }, [l](const QString& c) { l->setText(c); });
    };
    CaptionComponents list;
    list.push_back(plain(
        "fmCaption", [this] { return windowTitle(); }, [this](const QString& c) { setWindowTitle(c); }));
    // In the order the window declares them: the gauge, the memo, the page control, the rich text
    // views, the key rows, the picture and the hot-spots take no part.
    list.push_back(panel(sPanel1));
    for (QPushButton* b : {btReset, btCancel, btEnter, btApply}) list.push_back(button(b));
    list.push_back(page(pgStartStat));
    list.push_back(page(pgButtonSet));
    list.push_back(page(pgLedIndicator));
    list.push_back(plain(
        "dpiSel", [this] { return dpiSel->title(); }, [this](const QString& c) { dpiSel->setTitle(c); }));
    list.push_back(panel(pnPic));
    for (QLabel* l : {tpPower, tpUSBchg, tpLEDindicator}) list.push_back(label(l));
    // The tray menu's entries, the Language entries the scan took out of the menu included.
    for (QAction* a : {mnOpen, mnHide, mnLanguage, mnLang_En, mnLang_CHN, J1, mnAutoRun, mnExit})
        list.push_back(menuEntry(a));
    return list;
}

QList<QAction*> TfmMain::languageEntries() const { return mnLanguageMenu->actions(); }

void TfmMain::showExportView() {
    memoText().drop();
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
    memoText().drop();
    smsg->clear();
    std::string path = utf8String(utf8Path(utf8(programFolder_)) / "Lang.txt");
    std::string found = findIgnoringCase(utf8(programFolder_), "Lang.txt", EntryKind::File);
    CaptionCatalogue catalogue;
    FileError error{FileError::Missing, "No such file or directory"};
    if (found.empty() || !catalogue.load(found, error)) throw std::runtime_error(cannotOpenFile(path, error.reason));
    smsg->setPlainText(qstr(catalogue.text()));
}

void TfmMain::scanLanguages() {
    // Only the fixed first entry stays; the built-in others are taken out, still owned here.
    for (QAction* a : mnLanguageMenu->actions())
        if (a != mnLang_En) mnLanguageMenu->removeAction(a);
    LanguageScan scan = scanLanguageFolders(utf8(programFolder_));
    for (const LanguageFolder& folder : scan.folders) {
        QAction* entry = mnLanguageMenu->addAction(menuText(qstr(folder.displayName)));
        entry->setObjectName(qstr("mn_Lang__" + folder.name));
        entry->setData(qstr(folder.name));
        entry->setCheckable(true);
        languageGroup->addAction(entry);
        connect(entry, &QAction::triggered, this, [this, entry] { guarded([&] { mnLang_EnClick(entry); }); });
    }
    if (!scan.error.empty()) throw std::runtime_error(scan.error);
}

void TfmMain::loadRtf(QTextBrowser* view, const std::vector<uint8_t>& bytes) {
    QByteArray data(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size()));
    // RTF is always read, so its reading can wait for the tab; other text is decoded now, so a page
    // that cannot be taken fails the load.
    auto document = std::make_shared<std::unique_ptr<QTextDocument>>();
    if (!isRtf(data)) {
        *document = std::make_unique<QTextDocument>();
        if (!loadRichOrPlainText(data, **document, decodeHelpText)) throw std::runtime_error("Failed to Load Stream");
        data.clear();
    }
    // Built apart from the view and handed over once its tab is opened, where the view lays it out
    // a single time. A page replaced before it was shown goes with its call.
    (view == reStart ? startPage_ : ledPage_)->set([view, document, data] {
        if (!*document) {
            *document = std::make_unique<QTextDocument>();
            loadRichOrPlainText(data, **document, decodeHelpText);
        }
        QTextDocument* page = document->release();
        page->setParent(view);
        view->clear();
        view->setDocument(page);  // the view's earlier document, its own child, goes
    });
}

void TfmMain::loadLanguage(const std::string& code) {
    loadLanguageFolder(utf8(programFolder_), code,
                       {[this](HelpPage page, const std::vector<uint8_t>& bytes) {
                            loadRtf(page == HelpPage::Start ? reStart : reLED, bytes);
                        },
                        [this](CaptionCatalogue& catalogue) { applyLanguage(catalogue); }});
}

void TfmMain::applyLanguage(CaptionCatalogue& catalogue) {
    applyCaptions("main", captionComponents(), catalogue);
    for (TfmKeyDef* row : keySet) applyCaptions("keyDef", row->captionComponents(), catalogue);
    preferCaptionFaces(this, preferredCaptionFaces(qstr(captionLocale(catalogue))));
    memoText().set(catalogue.takeText());
    for (TfmKeyDef* row : keySet) row->keyReset();
    // The first entry whose code equals the current one, A to Z without regard to case.
    for (QAction* entry : languageEntries()) {
        if (equalsIgnoringAsciiCase(utf8(entry->data().toString()), curLang)) {
            entry->setChecked(true);
            checkedLanguage_ = entry;
            break;
        }
    }
    setTrayCaption(windowTitle());
}

void TfmMain::mnLang_EnClick(QAction* Sender) {
    // A click does not move the check mark by itself; the load sets it.
    if (checkedLanguage_)
        checkedLanguage_->setChecked(true);
    else
        Sender->setChecked(false);
    std::string code = utf8(Sender->data().toString());
    if (code == curLang) return;
    std::string previous = curLang;
    curLang = code;
    if (settings_) {
        try {
            settings_->writeLanguage(curLang);  // remembered before the files are read
        } catch (...) {
            curLang = previous;  // not switched: the same entry can be chosen again
            throw;
        }
    }
    loadLanguage(curLang);
}

}  // namespace orvix
