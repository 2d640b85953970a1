#pragma once
// One key row: the number picture, the name of the function the button is to get, and the
// drop-down that opens the row's own copy of the function catalogue. Choosing sends nothing.

#include <QFrame>
#include <QLabel>
#include <cstdint>
#include <string>
#include <vector>

#include "keys/KeyIndexMap.h"
#include "lang/CaptionComponents.h"

class QAction;
class QMenu;
class QToolButton;

namespace orvix {

// A panel that shows a caption and reports a click.
class TKeyNamePanel : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;
    bool Locked = true;  // caption catalogues pass it over: it shows the chosen function
signals:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
};

class TfmKeyDef : public QFrame {
    Q_OBJECT
public:
    // One entry of the row's pop-up: the catalogue's values, which a caption catalogue may replace.
    // Its menu item is made with the pop-up, from these values, when the pop-up is first wanted.
    struct MenuEntry {
        std::string Name;
        QString Caption;  // the function name shown and compared for the check mark
        std::string Hint;
        int32_t Tag = 0;
        const char* Under = "";  // the heading it is listed under
        bool heading = false;
        bool isSeparator = false;
        bool Visible = true;
        QAction* action = nullptr;  // the item, once the pop-up is made (a heading's opens its sub-menu)
        QMenu* subMenu = nullptr;   // headings, once the pop-up is made
        bool separator() const { return isSeparator; }
    };

    // The 1-based number the receiver gives the button of each row Tag 1 to 5.
    static constexpr auto& keyIndexMap = orvix::keyIndexMap;

    TfmKeyDef(QWidget* parent, const char* name, int tag);

    int Tag() const { return tag_; }
    int deviceKeyIndex() const { return deviceKeyIndex_; }  // the number picture's Tag
    int32_t functionCode() const { return functionCode_; }  // the name panel's Tag
    QString functionName() const;

    void keyReset();
    int32_t getKeyCode() const;
    void setNumberPicture(const QPixmap& picture);

    // The pop-up's entries in catalogue order.
    std::vector<MenuEntry>& entries() { return entries_; }
    MenuEntry* entry(const std::string& name);

    // What caption catalogues reach in the row: its panel and the pop-up's entries.
    CaptionComponents captionComponents();

    QWidget* sPanel1;
    QLabel* keyNum;
    TKeyNamePanel* pnKeyName;
    QToolButton* btChg;
    // The pop-up and its items, made when first wanted: five rows of the whole catalogue cost the
    // start nothing.
    QMenu* popup();

public slots:
    void btChgClick();
    void puKeyPopup();
    // The click of every function entry of the pop-up: the sender is the chosen entry's item.
    void mnCur_SCRClick(QAction* Sender);

private:
    void checkByCaption(QMenu* item, const QString& text);
    void take(const MenuEntry& e);

    int tag_;
    int deviceKeyIndex_ = 0;
    int32_t functionCode_ = 0;
    std::vector<MenuEntry> entries_;
    QMenu* puKey = nullptr;
};

}  // namespace orvix
