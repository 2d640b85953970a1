// The main window's construction and layout: its controls as laid out, the creation step in its
// fixed order, the mouse picture, the first placement and the docking of the bottom bar and memo.

#include "app/TfmMain.h"

#include <QAction>
#include <QButtonGroup>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QPalette>
#include <QTabBar>
#include <QTabWidget>
#include <QTextBrowser>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

#include "app/ApplicationTitle.h"
#include "app/Artwork.h"
#include "app/CommandLine.h"
#include "app/ErrorReport.h"
#include "app/WhenShown.h"
#include "hidMain/TfmHid.h"
#include "msKey/TfmKeyDef.h"

namespace orvix {

namespace {

// The help text both pages show until a language folder gives their own.
const char* const defaultHelp[] = {
    "Please charging before using Orvix Mouse.Connect the micro USB cable to Orvix mouse and any USB port on "
    "your PC.Full charging take about 2 hours.",
    "Insert the nano receiver inte a USB port directly into your computer.",
    "Press the power button to the ON position,the blue LED light 3 second,Orvix mouse begin to work.",
    "Install the driver by following the instructions on the screen to finish the software installation.",
    "After the software installation,Orvix Series icon will appear in the taskbar.",
};

template <class W>
W* place(W* w, const char* name, int x, int y, int width, int height) {
    w->setObjectName(name);
    w->setGeometry(x, y, width, height);
    return w;
}

// A text view's colours, whatever the desktop's scheme. A palette rather than a style sheet: a
// style sheet puts every widget below it on Qt's style-sheet style, slower to polish and draw.
void setColours(QAbstractScrollArea* view, const QColor& text, const QColor& base) {
    QPalette palette = view->palette();
    palette.setColor(QPalette::Text, text);
    palette.setColor(QPalette::Base, base);
    view->setPalette(palette);
}

// The pages' tabs, each at least 92 pixels wide so the three sit evenly in every language.
class FuncTabBar final : public QTabBar {
protected:
    QSize tabSizeHint(int index) const override {
        QSize size = QTabBar::tabSizeHint(index);
        size.setWidth(std::max(size.width(), 92));
        return size;
    }
};

class FuncTabs final : public QTabWidget {
public:
    explicit FuncTabs(QWidget* parent) : QTabWidget(parent) { setTabBar(new FuncTabBar); }
};

// A help view; what it shows is laid out when its tab is first opened (`later`).
QTextBrowser* helpView(QWidget* page, const char* name, WhenShown*& later) {
    auto* view = new QTextBrowser(page);
    view->setObjectName(name);
    view->setReadOnly(true);
    view->setOpenLinks(false);
    QFont font = view->font();
    font.setPointSize(10);
    view->setFont(font);
    setColours(view, QColor(0x44, 0x44, 0x44), QColor(0xFD, 0xFD, 0xFD));
    QString html;
    for (const char* paragraph : defaultHelp) html += "<p>" + QString(paragraph).toHtmlEscaped() + "</p>";
    later = new WhenShown(view);
    later->set([view, html] { view->setHtml(html); });
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(view);
    return view;
}

QLabel* pictureLabel(QWidget* parent, const char* name, const char* text, QRect geometry, Qt::Alignment align) {
    auto* label =
        place(new QLabel(text, parent), name, geometry.x(), geometry.y(), geometry.width(), geometry.height());
    QFont font = label->font();
    font.setBold(true);
    font.setPointSize(10);
    label->setFont(font);
    label->setAlignment(align);
    label->setTextFormat(Qt::PlainText);  // a caption is text, never markup
    label->setWordWrap(true);
    label->setAttribute(Qt::WA_TransparentForMouseEvents);
    return label;
}

}  // namespace

TfmMain::TfmMain(EventLoop& loop, std::unique_ptr<HidPlatform> platform, TfmMainStartup startup, QWidget* parent)
    : QWidget(parent),
      loop_(loop),
      platform_(std::move(platform)),
      arguments_(std::move(startup.arguments)),
      programFolder_(std::move(startup.programFolder)),
      settings_(std::move(startup.settings)),
      trayHosts_(std::move(startup.trayHosts)) {
    setObjectName("fmMain");
    setWindowTitle(kApplicationTitle);
    setWindowIcon(artwork::windowIcon());
    // A fixed dialog frame: system menu and close box, no minimise or maximise box.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(875, 427);
    // The tray icon first: the tray host takes it while the window is built, which is what a
    // "-hide" start waits for.
    buildTray();
    buildLayout();
    // An error ends the creation step where it stands; the window still opens.
    guarded([this] { FormCreate(); });
}

TfmMain::~TfmMain() {
    delete fmHid;  // gives the receiver back before the rest goes
    fmHid = nullptr;
}

void TfmMain::buildLayout() {
    perShow = place(new QProgressBar(this), "perShow", 395, 344, 289, 30);
    perShow->setRange(0, 100);
    perShow->setValue(0);
    perShow->setFormat("%p%");
    perShow->setAlignment(Qt::AlignCenter);
    perShow->hide();

    smsg = place(new QPlainTextEdit("smsg", this), "smsg", 719, 0, 156, 375);
    setColours(smsg, QColor(0x44, 0x44, 0x44), Qt::white);
    smsg->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    smsg->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    smsg->setLineWrapMode(QPlainTextEdit::NoWrap);
    smsg->setAccessibleName("Caption export");
    smsg->viewport()->installEventFilter(this);  // its double click
    smsg->hide();

    sPanel1 = place(new QWidget(this), "sPanel1", 0, 375, 875, 52);
    btReset = place(new QPushButton("RESET", sPanel1), "btReset", 12, 16, 141, 25);
    btCancel = place(new QPushButton("CANCEL", sPanel1), "btCancel", 360, 16, 83, 25);
    btEnter = place(new QPushButton("ENTER", sPanel1), "btEnter", 464, 16, 83, 25);
    btApply = place(new QPushButton("APPLY", sPanel1), "btApply", 568, 16, 83, 25);
    btEnter->setEnabled(false);
    btApply->setEnabled(false);
    btCancel->installEventFilter(this);

    pcFunc = place(new FuncTabs(this), "pcFunc", 8, 8, 377, 361);
    pgStartStat = new QWidget;
    pgStartStat->setObjectName("pgStartStat");
    reStart = helpView(pgStartStat, "reStart", startPage_);
    pgButtonSet = new QWidget;
    pgButtonSet->setObjectName("pgButtonSet");
    pgLedIndicator = new QWidget;
    pgLedIndicator->setObjectName("pgLedIndicator");
    reLED = helpView(pgLedIndicator, "reLED", ledPage_);
    pcFunc->addTab(pgStartStat, "START STAT");
    pcFunc->addTab(pgButtonSet, "BUTTON ASSIGN");
    pcFunc->addTab(pgLedIndicator, "LED INDICATOR");
    pcFunc->setCurrentIndex(1);

    const char* rowNames[] = {"fmKeyDef0", "fmKeyDef1", "fmKeyDef2", "fmKeyDef3", "fmKeyDef4"};
    TfmKeyDef** rows[] = {&fmKeyDef0, &fmKeyDef1, &fmKeyDef2, &fmKeyDef3, &fmKeyDef4};
    for (int i = 0; i < 5; ++i) {
        *rows[i] = new TfmKeyDef(pgButtonSet, rowNames[i], i + 1);
        (*rows[i])->setGeometry(31, 51 + 40 * i, 281, 28);
    }
    fmKeyDef0->setEnabled(false);  // the fixed row

    dpiSel = place(new QGroupBox("Cursor DPI", this), "dpiSel", 8, 320, 337, 49);
    dpiItems = new QButtonGroup(dpiSel);
    auto* dpiLayout = new QHBoxLayout(dpiSel);
    int id = 0;
    for (const char* item : {"500 DPI", "1000 DPI", "1500 DPI", "2000 DPI"}) {
        auto* radio = new QRadioButton(item, dpiSel);
        dpiItems->addButton(radio, id++);
        dpiLayout->addWidget(radio);
    }
    dpiItems->button(2)->setChecked(true);
    dpiSel->hide();

    // The picture panel is transparent: the window paints the mouse behind it.
    pnPic = place(new QWidget(this), "pnPic", 387, 9, 297, 329);
    sImage1 = place(new QLabel(pnPic), "sImage1", 1, 1, 272, 351);
    sImage1->setTextFormat(Qt::PlainText);
    (new WhenShown(sImage1))->set([this] { sImage1->setPixmap(mousePicture()); });
    sImage1->hide();
    struct Spot {
        HotSpotButton** button;
        const char* name;
        int x, y;
    };
    const Spot spots[] = {{&btKey1, "btKey1", 0, 88},
                          {&btKey2, "btKey2", 127, 9},
                          {&btKey3, "btKey3", 240, 96},
                          {&btKey4, "btKey4", 0, 127},
                          {&btKey5, "btKey5", 247, 147}};
    for (int i = 0; i < 5; ++i) {
        HotSpotButton* b = place(new HotSpotButton(pnPic), spots[i].name, spots[i].x, spots[i].y, 33, 33);
        b->setAutoRaise(true);           // flat
        b->setFocusPolicy(Qt::NoFocus);  // a speed button: the row's own drop-down is the keyboard's way in
        b->setIcon(artwork::digitImage(i));
        b->setIconSize(QSize(30, 30));
        b->setAccessibleName(QString("Button %1").arg(i + 1));
        b->setToolTip(QString("Button %1").arg(i + 1));
        connect(b, &QToolButton::clicked, this, [this, i] { guarded([&] { btKey1Click(i); }); });
        *spots[i].button = b;
    }
    tpPower = pictureLabel(pnPic, "tpPower", "POWER", {32, 17, 81, 33}, Qt::AlignCenter);
    tpUSBchg = pictureLabel(pnPic, "tpUSBchg", "USB CHARGE PORT", {206, 2, 67, 65}, Qt::AlignLeft | Qt::AlignVCenter);
    tpLEDindicator = pictureLabel(pnPic, "tpLEDindicator", "LED INDICATOR", {62, 286, 169, 33}, Qt::AlignCenter);

    // The bottom bar first, then the page control, the radio group and the memo; the picture panel
    // holds nothing that takes focus.
    QList<QWidget*> order{btReset, btCancel, btEnter, btApply, pcFunc, dpiSel, smsg};
    for (int i = 0; i + 1 < order.size(); ++i) setTabOrder(order[i], order[i + 1]);

    connect(btReset, &QPushButton::clicked, this, [this] { guarded([&] { btResetClick(); }); });
    connect(btCancel, &QPushButton::clicked, this, [this] { guarded([&] { btCancelClick(); }); });
    connect(btEnter, &QPushButton::clicked, this, [this] { guarded([&] { btEnterClick(); }); });
    connect(btApply, &QPushButton::clicked, this, [this] { guarded([&] { btApplyClick(); }); });
}

void TfmMain::FormCreate() {
    // The outer width stops at the picture panel's right edge; the memo column lies beyond it.
    setFixedWidth(pnPic->x() + pnPic->width());
    // The receiver connection; its first device scan waits for the event loop.
    fmHid = new TfmHid(std::move(platform_), loop_, this);
    fmHid->connection().setOnDevChange([this](bool devOn) { guarded([&] { devChanged(devOn); }); });
    fmHid->connection().setOnDevDataIn([this](const TByteDynArray& d) { guarded([&] { devDataIn(d); }); });
    devChanged(false);
    keySet = {fmKeyDef0, fmKeyDef1, fmKeyDef2, fmKeyDef3, fmKeyDef4};
    for (int i = 0; i < 5; ++i) keySet[i]->setNumberPicture(artwork::digitImage(i));
    // Every row holds its device key index and default function before any step that can fail,
    // so a start cut short by an error still writes the right frames on APPLY.
    for (TfmKeyDef* row : keySet) row->keyReset();
    curLang = "EN";
    // The stored settings: the identifiers are in place before the first device scan.
    if (settings_) {
        std::string problem;
        settings_->readConfig(curLang, fmHid->connection().vid, fmHid->connection().pid, problem);
        // A store that cannot be read is reported once the window shows; the start goes on.
        if (!problem.empty())
            QMetaObject::invokeMethod(
                this, [problem] { reportError(QString::fromStdString(problem)); }, Qt::QueuedConnection);
        mnAutoRun->setChecked(settings_->autoRunPresent());
    }
    scanLanguages();
    loadLanguage(curLang);
    btResetClick();
    // The fixed row's hot-spot is drawn apart from the four that open a pop-up.
    if (!fmKeyDef0->isEnabled()) {
        btKey1->setIcon(QIcon(btKey1->icon().pixmap(QSize(30, 30), QIcon::Disabled)));
        btKey1->setFixedRow(true);
    }
    // The command line comes last.
    StartMode mode = readCommandLine(arguments_);
    dkMode = mode.quano;
    // "-hide" asks, once the window shows, for what a close request does where a notification area
    // exists: the hide operation (without one, a close request would end the program).
    if (mode.hide)
        QMetaObject::invokeMethod(
            this, [this] { guarded([&] { triggerItem(mnHide); }); }, Qt::QueuedConnection);
}

void TfmMain::paintEvent(QPaintEvent*) {
    // The mouse picture sits behind the transparent picture panel, at its corner plus (2, 2),
    // and reaches below the panel onto the window's own surface.
    QPainter painter(this);
    painter.drawPixmap(pnPic->pos() + QPoint(2, 2), mousePicture());
}

const QPixmap& TfmMain::mousePicture() {
    // Decoded for the first paint: a start with -hide, which never paints, does without it.
    if (mousePicture_.isNull()) mousePicture_ = artwork::mousePicture();
    return mousePicture_;
}

void TfmMain::showEvent(QShowEvent* event) {
    // Centred on the desktop, all screens together, when first shown; afterwards it keeps its place.
    if (!placed_) {
        placed_ = true;
        if (QScreen* s = screen()) move(s->virtualGeometry().center() - rect().center());
    }
    watchMinimise();
    QWidget::showEvent(event);
}

void TfmMain::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    dockControls();
}

void TfmMain::dockControls() {
    // The bottom bar is docked to the bottom, the memo to the right edge above it; a hidden
    // control takes no part in the docking and keeps its place.
    sPanel1->setGeometry(0, height() - sPanel1->height(), width(), sPanel1->height());
    if (smsg->isVisibleTo(this)) smsg->setGeometry(width() - smsg->width(), 0, smsg->width(), sPanel1->y());
}

}  // namespace orvix
