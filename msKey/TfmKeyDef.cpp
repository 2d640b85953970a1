#include "msKey/TfmKeyDef.h"

#include <QAction>
#include <QHBoxLayout>
#include <QMenu>
#include <QMouseEvent>
#include <QToolButton>
#include <map>

#include "keys/FunctionCatalogue.h"
#include "lang/CaptionText.h"

namespace orvix {

void TKeyNamePanel::mousePressEvent(QMouseEvent* event) {
    QLabel::mousePressEvent(event);
    if (event->button() == Qt::LeftButton) emit clicked();
}

TfmKeyDef::TfmKeyDef(QWidget* parent, const char* name, int tag) : QFrame(parent), tag_(tag) {
    setObjectName(name);
    sPanel1 = new QWidget(this);
    sPanel1->setObjectName("sPanel1");
    auto* frameLayout = new QHBoxLayout(this);
    frameLayout->setContentsMargins(0, 0, 0, 0);
    frameLayout->addWidget(sPanel1);  // the row fills whatever size its owner gives the frame

    keyNum = new QLabel(sPanel1);
    keyNum->setObjectName("keyNum");
    keyNum->setFixedWidth(33);
    keyNum->setAlignment(Qt::AlignCenter);
    keyNum->setTextFormat(Qt::PlainText);

    pnKeyName = new TKeyNamePanel("Key", sPanel1);
    pnKeyName->setObjectName("pnKeyName");
    pnKeyName->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    pnKeyName->setAlignment(Qt::AlignCenter);
    pnKeyName->setTextFormat(Qt::PlainText);  // a function's name is text, never markup
    pnKeyName->setCursor(Qt::PointingHandCursor);

    btChg = new QToolButton(pnKeyName);
    btChg->setObjectName("btChg");
    btChg->setText(QString::fromUtf8("\u25BC"));
    btChg->setAccessibleName("Choose function");
    btChg->setAutoRaise(true);
    btChg->setFixedWidth(23);
    auto* nameLayout = new QHBoxLayout(pnKeyName);
    nameLayout->setContentsMargins(1, 1, 1, 1);
    nameLayout->addStretch();
    nameLayout->addWidget(btChg);

    auto* rowLayout = new QHBoxLayout(sPanel1);
    rowLayout->setContentsMargins(0, 0, 0, 0);
    rowLayout->setSpacing(0);
    rowLayout->addWidget(keyNum);
    rowLayout->addWidget(pnKeyName, 1);

    // The row's own copy of the catalogue, as entries; popup() makes their items.
    for (const CatalogueEntry& c : functionCatalogue())
        entries_.push_back({c.Name, QString::fromUtf8(c.Caption), c.Hint, c.Tag, c.Under, c.Kind == EntryKind::Heading,
                            c.Kind == EntryKind::Separator, c.Visible});
    connect(btChg, &QToolButton::clicked, this, &TfmKeyDef::btChgClick);
    connect(pnKeyName, &TKeyNamePanel::clicked, this, &TfmKeyDef::btChgClick);
}

QString TfmKeyDef::functionName() const { return pnKeyName->text(); }

namespace {

// A menu built after the window's caption faces were chosen takes the row's faces too.
QMenu* menuOf(QWidget* row, QWidget* parent, const std::string& name) {
    auto* menu = new QMenu(parent);
    menu->setObjectName(QString::fromStdString(name));
    if (row->testAttribute(Qt::WA_SetFont)) {
        QFont font = menu->font();
        font.setFamilies(row->font().families());
        menu->setFont(font);
    }
    return menu;
}

}  // namespace

QMenu* TfmKeyDef::popup() {
    if (puKey) return puKey;
    puKey = menuOf(this, this, "puKey");
    std::map<std::string, QMenu*> headings;
    for (MenuEntry& e : entries_) {
        QMenu* holder = *e.Under ? headings.at(e.Under) : puKey;
        e.action = new QAction(this);
        e.action->setObjectName(QString::fromStdString(e.Name));
        if (e.separator()) {
            e.action->setSeparator(true);
        } else {
            e.action->setText(menuText(e.Caption));  // checkable only while marked
            if (!e.heading)
                connect(e.action, &QAction::triggered, this, [this, a = e.action] { mnCur_SCRClick(a); });
        }
        e.action->setVisible(e.Visible);
        if (e.heading) {
            e.subMenu = menuOf(this, holder, e.Name);
            e.action->setMenu(e.subMenu);
            headings[e.Name] = e.subMenu;
        }
        holder->addAction(e.action);
    }
    connect(puKey, &QMenu::aboutToShow, this, &TfmKeyDef::puKeyPopup);
    return puKey;
}

TfmKeyDef::MenuEntry* TfmKeyDef::entry(const std::string& name) {
    for (auto& e : entries_)
        if (e.Name == name) return &e;
    return nullptr;
}

CaptionComponents TfmKeyDef::captionComponents() {
    CaptionComponents list;
    list.push_back({"sPanel1",
                    [this] { return widgetCaption(sPanel1); },
                    [this](const QString& c) { setWidgetCaption(sPanel1, c); },
                    {},
                    {}});
    // The number picture, the Locked name panel, the drop-down and the pop-up itself take no part.
    for (MenuEntry& e : entries_) {
        if (e.separator()) continue;
        MenuEntry* entry = &e;
        list.push_back({QString::fromStdString(e.Name),
                        {},
                        {},
                        [entry] {
                            return MenuEntryValue{entry->Hint, entry->Tag, entry->Caption.toStdString()};
                        },
                        [entry](const MenuEntryValue& v) {
                            entry->Hint = v.hint;
                            entry->Tag = v.tag;
                            entry->Caption = QString::fromStdString(v.caption);
                            if (entry->action) entry->action->setText(menuText(entry->Caption));
                        }});
    }
    return list;
}

void TfmKeyDef::setNumberPicture(const QPixmap& picture) { keyNum->setPixmap(picture); }

void TfmKeyDef::take(const MenuEntry& e) {
    pnKeyName->setText(e.Caption);
    functionCode_ = readFunctionCode(e.Hint);
}

void TfmKeyDef::keyReset() {
    deviceKeyIndex_ = keyIndexMap[tag_ - 1] - 1;
    btChg->setVisible(isEnabled());
    // The first entry of any kind with the row's Tag is its default; with none, the row keeps
    // what it has.
    for (const MenuEntry& e : entries_) {
        if (!e.separator() && e.Tag == tag_) {
            take(e);
            return;
        }
    }
}

int32_t TfmKeyDef::getKeyCode() const { return wireOrder(functionCode_); }

void TfmKeyDef::btChgClick() {
    if (!isEnabled()) return;
    popup()->popup(pnKeyName->mapToGlobal(QPoint(0, pnKeyName->height())));
}

void TfmKeyDef::puKeyPopup() { checkByCaption(popup(), pnKeyName->text()); }

void TfmKeyDef::checkByCaption(QMenu* item, const QString& text) {
    for (QAction* a : item->actions()) {
        if (QMenu* sub = a->menu()) {
            checkByCaption(sub, text);  // a heading keeps its own mark
            continue;
        }
        // Only the marked entry is checkable: an unmarked checkable entry would draw an empty box.
        bool marked = captionOf(a) == text;
        a->setCheckable(marked);
        a->setChecked(marked);
    }
}

void TfmKeyDef::mnCur_SCRClick(QAction* Sender) {
    if (!Sender) return;
    for (const MenuEntry& e : entries_)
        if (e.action == Sender) take(e);
}

}  // namespace orvix
