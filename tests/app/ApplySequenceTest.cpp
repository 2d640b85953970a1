#include <gtest/gtest.h>

#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>

#include "app/RegistrySettings.h"
#include "app/settings/RegistryValues.h"
#include "hid/sim/SimHidPlatform.h"
#include "hidMain/TfmHid.h"
#include "msKey/TfmKeyDef.h"
#include "tests/app/MainWindowFixture.h"
#include "tests/app/MemoryRegistry.h"
#include "tests/support/Screenshots.h"

namespace orvix::test {
namespace {

using Strings = std::vector<std::string>;

const std::string query = "OUT 04 02 01 A4 1F 00 00 3D";
// The key writes of the default assignment, row 0 to row 4.
const Strings defaultWrites{"OUT 04 02 01 A4 02 40 00 1A", "OUT 04 02 01 A4 04 00 08 50", "OUT 04 02 01 A4 01 00 01 5A",
                            "OUT 04 02 01 A4 00 00 00 5C", "OUT 04 02 01 A4 03 10 4B FE"};
const std::string ack[] = {"IN 04 89 00 02 00 00 00 00", "IN 04 89 00 04 00 00 00 00", "IN 04 89 00 01 00 00 00 00",
                           "IN 04 89 00 00 00 00 00 00", "IN 04 89 00 03 00 00 00 00"};

// The real window over the simulated receiver, through the real controller and reader thread.
class ApplySequence : public MainWindowFixture {
protected:
    void startWithReceiver(std::vector<std::string> arguments = {}, const Strings& commandsFirst = {}) {
        auto platform = std::make_unique<SimHidPlatform>(loop, SimOptions{});
        sim = platform.get();
        for (auto& c : commandsFirst) sim->command(c);
        TfmMainStartup startup;
        startup.arguments = std::move(arguments);
        startup.programFolder = programFolder;
        startup.settings = std::move(settings);
        startup.trayHosts = makeFakeTrayHost();
        fmMain = std::make_unique<TfmMain>(loop, std::move(platform), std::move(startup));
        QObject::connect(fmMain.get(), &TfmMain::noticeShown,
                         [this](const QString&, const QString& text) { notices.push_back(text.toStdString()); });
        QObject::connect(fmMain->perShow, &QProgressBar::valueChanged, [this](int v) { gauge.push_back(v); });
        fmMain->show();
    }
    Strings record() const { return sim->record(); }
    Strings outs(size_t from = 0) const {
        Strings o, all = record();
        for (size_t i = from; i < all.size(); ++i)
            if (all[i].rfind("OUT", 0) == 0) o.push_back(all[i]);
        return o;
    }
    bool waitFor(const std::function<bool()>& pred, int ms = 3000) {
        QElapsedTimer t;
        t.start();
        while (!pred()) {
            if (t.elapsed() > ms) return false;
            QApplication::processEvents(QEventLoop::AllEvents, 5);
        }
        return true;
    }
    bool linked() const { return fmMain->btApply->isEnabled() && fmMain->btEnter->isEnabled(); }
    void startLinked() {
        startWithReceiver();
        ASSERT_TRUE(waitFor([&] { return linked(); }));
        gauge.clear();
    }
    size_t count(const std::string& line) const {
        Strings r = record();
        return static_cast<size_t>(std::count(r.begin(), r.end(), line));
    }

    SimHidPlatform* sim = nullptr;
    std::string autoRun;
    Strings notices;
    std::vector<int> gauge;
};

TEST_F(ApplySequence, StatusQueryOnArrivalAndTheButtonsWaitForTheFirstStatusReport) {
    startWithReceiver({}, {"delay 300"});
    ASSERT_TRUE(waitFor([&] { return !outs().empty(); }));
    EXPECT_EQ(outs(), Strings{query});
    EXPECT_FALSE(fmMain->btApply->isEnabled());
    EXPECT_FALSE(fmMain->btEnter->isEnabled());
    ASSERT_TRUE(waitFor([&] { return linked(); }));
    EXPECT_EQ(record().back(), "IN 04 80 00 00 00 00 00 00");
}

TEST_F(ApplySequence, ResetThenApplyWritesTheFiveRowsEachAfterTheAcknowledgementBefore) {
    startLinked();
    fmMain->btApplyClick();  // a first run leaves the gauge at 90, so the next start shows its 0
    ASSERT_TRUE(waitFor([&] { return !fmMain->applying(); }));
    gauge.clear();
    QTest::mouseClick(fmMain->btReset, Qt::LeftButton);
    size_t before = record().size();
    QTest::mouseClick(fmMain->btApply, Qt::LeftButton);
    ASSERT_TRUE(waitFor([&] { return !fmMain->applying(); }));
    Strings all = record();
    Strings after(all.begin() + static_cast<long>(before), all.end());
    Strings expected;
    for (int i = 0; i < 5; ++i) {
        expected.push_back(defaultWrites[i]);
        expected.push_back(ack[i]);
    }
    EXPECT_EQ(after, expected);
    EXPECT_EQ(gauge, (std::vector<int>{0, 10, 30, 50, 70, 90}));
    EXPECT_FALSE(fmMain->perShow->isVisible());
}

TEST_F(ApplySequence, WrongAcknowledgementsWriteTheSameRowAgain) {
    startLinked();
    sim->command("ack-wrong 3");
    fmMain->btApplyClick();
    ASSERT_TRUE(waitFor([&] { return !fmMain->applying(); }));
    EXPECT_EQ(count(defaultWrites[0]), 4u) << "three more copies";
    for (int i = 1; i < 5; ++i) EXPECT_EQ(count(defaultWrites[i]), 1u);
}

TEST_F(ApplySequence, DroppedAcknowledgementLeavesTheSequenceWaitingUntilApplyStartsOver) {
    startLinked();
    sim->command("ack-drop 1");
    fmMain->btApplyClick();
    ASSERT_TRUE(waitFor([&] { return count(defaultWrites[0]) == 1; }));
    QTest::qWait(100);
    EXPECT_TRUE(fmMain->applying());
    EXPECT_EQ(fmMain->applyStep(), 0);
    EXPECT_EQ(fmMain->perShow->value(), 10);
    EXPECT_EQ(outs().size(), 2u) << "the query and row 0: no timer, no retry";
    gauge.clear();
    fmMain->btApplyClick();
    ASSERT_TRUE(waitFor([&] { return !fmMain->applying(); }));
    EXPECT_EQ(gauge.front(), 0);
    EXPECT_EQ(count(defaultWrites[0]), 2u) << "started over at row 0";
}

TEST_F(ApplySequence, LinkLossInTheMiddleDisablesTheButtonsAndALaterAcknowledgementGoesOn) {
    startLinked();
    sim->command("ack-drop 1");
    fmMain->btApplyClick();
    ASSERT_TRUE(waitFor([&] { return count(defaultWrites[0]) == 1; }));
    QTest::qWait(50);
    sim->command("unlink");
    ASSERT_TRUE(waitFor([&] { return !fmMain->btApply->isEnabled(); }));
    EXPECT_FALSE(fmMain->btEnter->isEnabled());
    EXPECT_TRUE(fmMain->applying());
    sim->command("link");
    ASSERT_TRUE(waitFor([&] { return linked(); }));
    QTest::qWait(50);
    EXPECT_EQ(outs().size(), 2u) << "the link coming back sends nothing by itself";
    // A later acknowledgement of row 0 continues the sequence where it stood.
    fmMain->fmHid->connection().uSendA4(0x004002);
    ASSERT_TRUE(waitFor([&] { return !fmMain->applying(); }));
    for (int i = 1; i < 5; ++i) EXPECT_EQ(count(defaultWrites[i]), 1u);
}

TEST_F(ApplySequence, UnplugInTheMiddleStopsTheWritesAndKeepsTheGauge) {
    startLinked();
    sim->command("ack-drop 1");
    fmMain->btApplyClick();
    ASSERT_TRUE(waitFor([&] { return count(defaultWrites[0]) == 1; }));
    sim->command("unplug");
    ASSERT_TRUE(waitFor([&] { return !fmMain->fmHid->connection().devOn(); }));
    EXPECT_FALSE(fmMain->applying());
    EXPECT_FALSE(fmMain->btApply->isEnabled());
    EXPECT_TRUE(fmMain->perShow->isVisible());
    EXPECT_EQ(fmMain->perShow->value(), 10);
    size_t sent = outs().size();
    sim->command("plug");
    ASSERT_TRUE(waitFor([&] { return linked(); }));
    EXPECT_EQ(outs().size(), sent + 1);
    EXPECT_EQ(outs().back(), query);
}

TEST_F(ApplySequence, AnotherDeviceGoingEndsTheSequenceAndAsksForTheStatusAgain) {
    startLinked();
    sim->command("ack-drop 1");
    fmMain->btApplyClick();
    ASSERT_TRUE(waitFor([&] { return count(defaultWrites[0]) == 1; }));
    sim->command("unplug-other");
    ASSERT_TRUE(waitFor([&] { return count(query) == 2; }));
    EXPECT_FALSE(fmMain->applying());
    ASSERT_TRUE(waitFor([&] { return linked(); }));
    EXPECT_TRUE(fmMain->fmHid->connection().devOn());
}

TEST_F(ApplySequence, EnterHidesAtOnceAndTheRemainingFramesStillGoOut) {
    startLinked();
    QTest::mouseClick(fmMain->btEnter, Qt::LeftButton);
    EXPECT_FALSE(fmMain->isVisible());
    ASSERT_TRUE(waitFor([&] { return !fmMain->applying(); }));
    for (auto& w : defaultWrites) EXPECT_EQ(count(w), 1u);
}

TEST_F(ApplySequence, NotificationModeAnnouncesArrivalAndTheFirstLinkOnly) {
    startWithReceiver({"-Quano"});
    ASSERT_TRUE(waitFor([&] { return linked(); }));
    fmMain->fmHid->connection().uSendA4(0x1F);  // a second 0x80
    ASSERT_TRUE(waitFor([&] { return count("IN 04 80 00 00 00 00 00 00") == 2; }));
    QTest::qWait(30);
    EXPECT_EQ(notices, (Strings{"RX push in.", "Mouse is link!"}));
    sim->command("unlink");
    ASSERT_TRUE(waitFor([&] { return notices.size() == 3; }));
    EXPECT_EQ(notices.back(), "Mouse is leave!");
    sim->command("unplug");
    ASSERT_TRUE(waitFor([&] { return notices.size() == 4; }));
    EXPECT_EQ(notices.back(), "RX pull out!");
}

TEST_F(ApplySequence, NoBalloonWithoutNotificationMode) {
    startLinked();
    sim->command("unplug");
    ASSERT_TRUE(waitFor([&] { return !fmMain->fmHid->connection().devOn(); }));
    EXPECT_TRUE(notices.empty());
}

TEST_F(ApplySequence, ChoosingAFunctionSendsNothingUntilApply) {
    startLinked();
    size_t sent = outs().size();
    TfmKeyDef* row = fmMain->keys()[4];
    row->popup();
    row->mnCur_SCRClick(row->entry("mnPPT_PGUP")->action);
    QTest::qWait(50);
    EXPECT_EQ(outs().size(), sent);
    fmMain->btApplyClick();
    ASSERT_TRUE(waitFor([&] { return !fmMain->applying(); }));
    EXPECT_EQ(count(defaultWrites[4]), 1u) << "PAGE UP writes the code BACK PAGER has";
}

TEST_F(ApplySequence, AStartCutShortByAnErrorStillWritesTheDefaultFrames) {
    auto registry = std::make_unique<MemoryRegistry>();
    registry->keys[MemoryRegistry::lower(kConfigKey)] = {{"vid", stringValue("0E8F")}};
    settings = std::make_unique<RegistrySettings>(
        std::move(registry), kConfigKey, std::make_unique<FileLessAutoStart>(autoRun), "/opt/orvix/orvix-mouse");
    acceptErrorBoxes();
    startWithReceiver();
    EXPECT_EQ(errors, Strings{"Invalid data type for 'VID'"});
    ASSERT_TRUE(waitFor([&] { return linked(); }));
    EXPECT_EQ(fmMain->keys()[4]->functionName(), "BACK PAGER");
    size_t before = record().size();
    fmMain->btApplyClick();
    ASSERT_TRUE(waitFor([&] { return !fmMain->applying(); }));
    EXPECT_EQ(outs(before), defaultWrites);
}

// Something that changes the rows while the sequence waits for an acknowledgement.
struct MidSequenceChange {
    const char* name;
    std::function<void(TfmMain&)> change;
};

class ChangeWhileWaiting : public ApplySequence, public ::testing::WithParamInterface<MidSequenceChange> {
protected:
    void SetUp() override {
        programFolder = dir.path();
        QDir().mkpath(dir.filePath("FR"));
        QFile catalogue(dir.filePath("FR/Lang.txt"));
        ASSERT_TRUE(catalogue.open(QIODevice::WriteOnly));
        catalogue.write(
            "langname=Fran\xC3\xA7\x61is\nkeyDef.mnBackPage.Caption=[104b|5]PAGE PR\xC3\x89\x43\xC3\x89\x44\x45NTE\n");
    }
    QTemporaryDir dir;
};

TEST_P(ChangeWhileWaiting, WritesTheRowsAsTheyStoodWhenTheSequenceStarted) {
    startLinked();
    TfmKeyDef* button5 = fmMain->keys()[4];
    button5->popup();
    button5->mnCur_SCRClick(button5->entry("mnMul_Mute")->action);
    size_t before = record().size();
    fmMain->btApplyClick();
    GetParam().change(*fmMain);  // row 0's acknowledgement has not been handled yet
    ASSERT_TRUE(waitFor([&] { return !fmMain->applying(); }));
    Strings expected(defaultWrites.begin(), defaultWrites.end() - 1);
    expected.push_back("OUT 04 02 01 A4 03 20 E2 57");  // MUTE on device key index 3
    EXPECT_EQ(outs(before), expected);
}

void pickForEveryRow(TfmMain& w, const char* entry) {
    for (TfmKeyDef* row : w.keys()) {
        row->popup();  // the entry's item is made with the pop-up
        row->mnCur_SCRClick(row->entry(entry)->action);
    }
}

INSTANTIATE_TEST_SUITE_P(Shell, ChangeWhileWaiting,
                         ::testing::Values(MidSequenceChange{"LanguageSwitch",
                                                             [](TfmMain& w) {
                                                                 for (QAction* a : w.languageEntries())
                                                                     if (a->data().toString() == "FR") a->trigger();
                                                                 ASSERT_EQ(w.currentLanguage(), "FR");
                                                             }},
                                           MidSequenceChange{"Reset", [](TfmMain& w) { w.btResetClick(); }},
                                           MidSequenceChange{"NewPicks",
                                                             [](TfmMain& w) { pickForEveryRow(w, "mnMul_Play"); }},
                                           MidSequenceChange{"PickWithoutAValidCode",
                                                             [](TfmMain& w) {
                                                                 for (TfmKeyDef* row : w.keys())
                                                                     row->entry("mnMul_Play")->Hint = "zz";
                                                                 pickForEveryRow(w, "mnMul_Play");
                                                             }}),
                         [](const auto& info) { return std::string(info.param.name); });

// Reports the simulated receiver never sends, delivered through the scripted platform.
class StatusReports : public MainWindowFixture {
protected:
    void SetUp() override {
        start({}, {receiver("R")});
        ASSERT_EQ(fake->writes("R").size(), 1u) << "the status query";
    }
    void report(std::vector<uint8_t> bytes) {
        bytes.insert(bytes.begin(), 4);
        fake->pushReport("R", bytes);
        QTest::qWait(30);
    }
};

TEST_F(StatusReports, OnlySevenByteReportsOfTheFourKindsCount) {
    report({0x80, 0, 0, 0, 0, 0});  // 6 data bytes: the receiver's reports carry 7
    EXPECT_FALSE(fmMain->btApply->isEnabled());
    report({0x82, 0, 0, 0, 0, 0, 0});
    EXPECT_FALSE(fmMain->btApply->isEnabled());
    report({0x8A, 0, 0, 0, 0, 0, 0});
    EXPECT_TRUE(fmMain->btApply->isEnabled());
    report({0x81, 0, 0, 0, 0, 0, 0});
    EXPECT_FALSE(fmMain->btApply->isEnabled());
    report({0x89, 0, 3, 0, 0, 0, 0});
    EXPECT_TRUE(fmMain->btApply->isEnabled()) << "0x89 while idle only links";
    EXPECT_FALSE(fmMain->applying());
    EXPECT_EQ(fake->writes("R").size(), 1u);
}

TEST_F(StatusReports, RowsWithoutAValidCodeArePassedOverAndAllOfThemSendNothing) {
    report({0x80, 0, 0, 0, 0, 0, 0});
    std::vector<std::string> lines;
    for (auto& e : fmMain->keys()[0]->entries())
        if (!e.separator()) lines.push_back("keyDef." + e.Name + ".Caption=[zz|" + std::to_string(e.Tag) + "]X");
    CaptionCatalogue badHints(lines);
    for (TfmKeyDef* row : fmMain->keys()) applyCaptions("keyDef", row->captionComponents(), badHints);
    fmMain->btResetClick();
    std::vector<bool> shown;
    QObject::connect(fmMain->perShow, &QProgressBar::valueChanged,
                     [&](int) { shown.push_back(fmMain->perShow->isVisible()); });
    fmMain->btApplyClick();
    EXPECT_FALSE(fmMain->applying());
    EXPECT_FALSE(fmMain->perShow->isVisible());
    EXPECT_FALSE(shown.empty()) << "the gauge showed for the moment of the steps";
    QTest::qWait(30);
    EXPECT_EQ(fake->writes("R").size(), 1u);
}

TEST_F(MainWindowFixture, HotSpotsShowThePageAndOpenTheirRowsPopupBelowTheRow) {
    start();
    fmMain->pcFunc->setCurrentIndex(0);
    QTest::mouseClick(fmMain->btKey1, Qt::LeftButton);
    EXPECT_EQ(fmMain->pcFunc->currentIndex(), 1);
    EXPECT_FALSE(fmMain->keys()[0]->popup()->isVisible()) << "the fixed row opens nothing";
    QToolButton* spots[] = {fmMain->btKey2, fmMain->btKey3, fmMain->btKey4, fmMain->btKey5};
    for (int i = 0; i < 4; ++i) {
        fmMain->pcFunc->setCurrentIndex(2);
        QTest::mouseClick(spots[i], Qt::LeftButton);
        TfmKeyDef* row = fmMain->keys()[i + 1];
        EXPECT_EQ(fmMain->pcFunc->currentIndex(), 1);
        ASSERT_TRUE(row->popup()->isVisible()) << i;
        EXPECT_EQ(row->popup()->pos(), row->pnKeyName->mapToGlobal(QPoint(0, row->pnKeyName->height())));
        row->popup()->hide();
    }
}

}  // namespace
}  // namespace orvix::test
