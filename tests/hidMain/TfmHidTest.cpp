#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include <QElapsedTimer>
#include "app/QtEventLoop.h"

#include "hid/sim/SimHidPlatform.h"
#include "hidMain/TfmHid.h"
#include "tests/support/FakeHidPlatform.h"
#include "tests/support/Screenshots.h"

namespace orvix::test {
namespace {

using Bytes = std::vector<uint8_t>;

class Console : public ::testing::Test {
protected:
    void SetUp() override {
        auto platform = std::make_unique<FakeHidPlatform>(loop);
        fake = platform.get();
        fake->plug(FakeInterface{"R"});
        fmHid = std::make_unique<TfmHid>(std::move(platform), loop, nullptr);
        settle();
    }
    void TearDown() override { fmHid.reset(); }
    static void settle() { QApplication::processEvents(); }
    QStringList lines() const { return fmHid->Memo1->toPlainText().split('\n', Qt::SkipEmptyParts); }

    QtEventLoop loop;
    FakeHidPlatform* fake = nullptr;
    std::unique_ptr<TfmHid> fmHid;
};

TEST_F(Console, ControlsAreLaidOutWithTheirTextsAndTabOrder) {
    EXPECT_EQ(fmHid->size(), QSize(359, 516));
    EXPECT_EQ(fmHid->windowTitle(), "Dev On");
    struct Control {
        QWidget* widget;
        QRect geometry;
    };
    for (Control c : {Control{fmHid->Memo1, {8, 16, 353, 425}}, Control{fmHid->Edit2, {8, 456, 249, 21}},
                      Control{fmHid->Button2, {272, 456, 75, 25}}, Control{fmHid->Edit1, {8, 488, 121, 21}},
                      Control{fmHid->Button1, {152, 488, 75, 25}}})
        EXPECT_EQ(c.widget->geometry(), c.geometry) << c.widget->objectName().toStdString();
    EXPECT_EQ(fmHid->Edit2->text(), "03 06");
    EXPECT_EQ(fmHid->Edit1->text(), "1F");
    EXPECT_EQ(fmHid->Button2->text(), "Send");
    EXPECT_EQ(fmHid->Button1->text(), "A4 Data");
    QList<QWidget*> order{fmHid->Memo1, fmHid->Edit1, fmHid->Button1, fmHid->Edit2, fmHid->Button2};
    for (int i = 0; i + 1 < order.size(); ++i) {
        // The next of the five controls along the focus chain (their inner parts lie between).
        QWidget* next = order[i]->nextInFocusChain();
        while (!order.contains(next)) next = next->nextInFocusChain();
        EXPECT_EQ(next, order[i + 1]) << i;
    }
}

TEST_F(Console, FirstShownAtItsPlaceAndClosingOnlyHidesIt) {
    fmHid->showConsole();
    settle();
    EXPECT_EQ(fmHid->pos(), QPoint(217, 136));
    screenshot(fmHid.get(), "hid-console");
    fmHid->close();
    EXPECT_FALSE(fmHid->isVisible());
    EXPECT_TRUE(fmHid->connection().devOn()) << "the connection keeps working while hidden";
    fmHid->move(300, 300);
    fmHid->showConsole();
    EXPECT_EQ(fmHid->pos(), QPoint(300, 300)) << "later it keeps its place";
}

struct SendCase {
    const char* name;
    const char* typed;
    const char* shown;  // Edit2 afterwards
    Bytes report;       // what reaches the receiver
};

class ConsoleSend : public Console, public ::testing::WithParamInterface<SendCase> {};

TEST_P(ConsoleSend, ShowsWhatWasUnderstoodAndSendsIt) {
    fmHid->showConsole();
    fmHid->Memo1->clear();
    fmHid->Edit2->setText(GetParam().typed);
    QTest::mouseClick(fmHid->Button2, Qt::LeftButton);
    EXPECT_EQ(fmHid->Edit2->text(), GetParam().shown);
    EXPECT_EQ(fake->writes("R"), std::vector<Bytes>{GetParam().report});
    EXPECT_EQ(lines(), QStringList{QString("W: ") + GetParam().shown});
}

INSTANTIATE_TEST_SUITE_P(
    Console, ConsoleSend,
    ::testing::Values(
        SendCase{"Initial", "03 06", "03 06 ", {4, 3, 6, 0, 0, 0, 0, 0}},
        SendCase{"ShortAndLongTokens", "3 6 1FF", "03 06 FF ", {4, 3, 6, 0xFF, 0, 0, 0, 0}},
        SendCase{"BlanksAround", "   03    06  ", "03 06 ", {4, 3, 6, 0, 0, 0, 0, 0}},
        SendCase{"BlanksOnly", "   ", "00 ", {4, 0, 0, 0, 0, 0, 0, 0}},
        SendCase{"Empty", "", "", {4, 0, 0, 0, 0, 0, 0, 0}}, SendCase{"Tab", "03\t06", "00 ", {4, 0, 0, 0, 0, 0, 0, 0}},
        SendCase{"EightTokensSendSeven", "1 2 3 4 5 6 7 8", "01 02 03 04 05 06 07 08 ", {4, 1, 2, 3, 4, 5, 6, 7}}),
    [](const auto& info) { return std::string(info.param.name); });

struct A4Case {
    const char* name;
    const char* typed;
    Bytes report;
};

class ConsoleA4 : public Console, public ::testing::WithParamInterface<A4Case> {};

TEST_P(ConsoleA4, ReadsTheArgumentAsOneHexadecimalToken) {
    fmHid->Edit1->setText(GetParam().typed);
    QTest::mouseClick(fmHid->Button1, Qt::LeftButton);
    EXPECT_EQ(fake->writes("R"), std::vector<Bytes>{GetParam().report});
}

const Bytes query{4, 0x02, 0x01, 0xA4, 0x1F, 0x00, 0x00, 0x3D};
const Bytes zero{4, 0x02, 0x01, 0xA4, 0x00, 0x00, 0x00, 0x5C};
INSTANTIATE_TEST_SUITE_P(Console, ConsoleA4,
                         ::testing::Values(A4Case{"Upper", "1F", query}, A4Case{"Lower", "1f", query},
                                           A4Case{"LeadingZeros", "001F", query}, A4Case{"Prefix", "0x1F", zero},
                                           A4Case{"LeadingBlank", " 1F", zero}, A4Case{"TrailingBlank", "1F ", zero},
                                           A4Case{"Beyond32Bits", "100000000", zero}, A4Case{"Empty", "", zero},
                                           A4Case{"HighByteDropped", "01FFFFFF",
                                                  Bytes{4, 0x02, 0x01, 0xA4, 0xFF, 0xFF, 0xFF, 0x5F}}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(Console, NothingHappensVisiblyWithoutAReceiver) {
    fake->unplug("R");
    fake->postChange();
    settle();
    fmHid->showConsole();
    fmHid->Memo1->clear();
    QTest::mouseClick(fmHid->Button1, Qt::LeftButton);
    QTest::mouseClick(fmHid->Button2, Qt::LeftButton);
    EXPECT_TRUE(lines().isEmpty());
    EXPECT_EQ(fmHid->windowTitle(), "---");
}

}  // namespace
}  // namespace orvix::test

namespace orvix::test {
namespace {

// A receiver this user may not write: the console says above the log what to do, in a field the
// text can be copied from, and nothing once the receiver has gone.
TEST(ConsoleAccessHint, ShownWhileAReceiverWithoutWriteAccessIsHeld) {
    QtEventLoop loop;
    auto platform = std::make_unique<FakeHidPlatform>(loop);
    FakeHidPlatform* fake = platform.get();
    FakeInterface ro{"R"};
    ro.readWrite = false;
    fake->plug(ro);
    TfmHid console(std::move(platform), loop, nullptr);
    console.showConsole();
    EXPECT_FALSE(console.edAccessHint->isVisible()) << "nothing to say before a receiver is held";
    QApplication::processEvents();
    ASSERT_TRUE(console.connection().devOn());
    EXPECT_TRUE(console.edAccessHint->isVisible());
    EXPECT_EQ(console.edAccessHint->text(), "write access for 0E8F:00A6");
    EXPECT_TRUE(console.edAccessHint->isReadOnly());
    EXPECT_EQ(console.edAccessHint->geometry(), QRect(8, 0, 353, 16));
    EXPECT_FALSE(console.edAccessHint->geometry().intersects(console.Memo1->geometry()));
    EXPECT_FALSE(console.edAccessHint->accessibleName().isEmpty());
    EXPECT_TRUE(console.Memo1->toPlainText().startsWith("Dev on->")) << "the log keeps its own lines";
    screenshot(&console, "hid-console-write-access");

    fake->unplug("R");
    fake->postChange();
    QApplication::processEvents();
    EXPECT_FALSE(console.connection().devOn());
    EXPECT_FALSE(console.edAccessHint->isVisible());
}

TEST(ConsoleWithSimulatedReceiver, A4DataLogsTheWriteAndThenTheReceiversAnswer) {
    QtEventLoop loop;
    auto platform = std::make_unique<SimHidPlatform>(loop, SimOptions{});
    SimHidPlatform* sim = platform.get();
    TfmHid console(std::move(platform), loop, nullptr);
    QElapsedTimer t;
    t.start();
    while (!console.connection().devOn() && t.elapsed() < 3000) QApplication::processEvents(QEventLoop::AllEvents, 5);
    ASSERT_TRUE(console.connection().devOn());
    console.showConsole();
    console.Memo1->clear();
    QTest::mouseClick(console.Button1, Qt::LeftButton);
    while (console.Memo1->toPlainText().count('\n') < 1 && t.elapsed() < 3000)
        QApplication::processEvents(QEventLoop::AllEvents, 5);
    EXPECT_EQ(console.Memo1->toPlainText(), "W: 02 01 A4 1F 00 00 3D \nR: 80 00 00 00 00 00 00 ");
    EXPECT_EQ(sim->record().front(), "OUT 04 02 01 A4 1F 00 00 3D");
    screenshot(&console, "hid-console-exchange");
}

}  // namespace
}  // namespace orvix::test
