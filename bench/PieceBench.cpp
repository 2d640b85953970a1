// The pieces scripts/bench times inside the process (Google Benchmark, offscreen):
//  - ApplyStep: the apply sequence against the simulated receiver answering at once; per step,
//    the acknowledgement returned by the read -> the next frame handed to the write (counter
//    "step_us", the median over the run's steps);
//  - Rescan/N: a rescan with no change among N interfaces;
//  - LanguageSwitch: a shipped language loaded and applied, help pages included, back and forth;
//  - RtfRead/<file>, RtfPage/<file>: a help page read as a load reads it, and read and laid out in
//    full in a view (ORVIX_BENCH_RTF names the files, separated by ':');
//  - RtfShown/<file>: a help page read and shown in its view, its first screen laid out and painted;
//  - QtLayout/<file>, QtLayoutPlain/<file>: Qt's layout alone of such a page read beforehand, and of
//    its text without formats.
// Run by scripts/bench; the language folders are those beside this program (the build's bin/).
#include <benchmark/benchmark.h>

#include <optional>

#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QPushButton>
#include <QTabWidget>
#include <QTextBrowser>
#include <QTextDocument>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <mutex>
#include <vector>

#include "app/QtEventLoop.h"
#include "app/TfmMain.h"
#include "hid/HidDeviceController.h"
#include "hid/sim/SimHidPlatform.h"
#include "lang/rtf/RtfReader.h"
#include "tests/support/FakeHidPlatform.h"
#include "tests/support/FakeTrayHost.h"
#include "tests/support/TestLoop.h"

namespace {

using namespace orvix;
using Clock = std::chrono::steady_clock;

// When the last acknowledgement left a read, and each step's delay to the write that followed it.
struct StepTimes {
    std::mutex mutex;
    Clock::time_point ackRead{};
    bool pending = false;
    std::vector<double> micros;
};

class TimedRead final : public HidReadHandle {
public:
    TimedRead(std::unique_ptr<HidReadHandle> inner, StepTimes& times) : inner_(std::move(inner)), times_(times) {}
    HidReadResult read(uint8_t* buffer, size_t size) override {
        HidReadResult r = inner_->read(buffer, size);
        // An acknowledgement: report 4, 0x89.
        if (r.kind == HidReadResult::Data && r.bytes > 1 && buffer[0] == 0x04 && buffer[1] == 0x89) {
            std::lock_guard lock(times_.mutex);
            times_.ackRead = Clock::now();
            times_.pending = true;
        }
        return r;
    }
    void stop() override { inner_->stop(); }
    void pause(uint32_t ms) override { inner_->pause(ms); }

private:
    std::unique_ptr<HidReadHandle> inner_;
    StepTimes& times_;
};

class TimedSync final : public HidSyncHandle {
public:
    TimedSync(std::unique_ptr<HidSyncHandle> inner, StepTimes& times) : inner_(std::move(inner)), times_(times) {}
    bool getAttributes(HidAttributes& a) override { return inner_->getAttributes(a); }
    std::unique_ptr<HidPreparsedData> getPreparsedData() override { return inner_->getPreparsedData(); }
    bool write(const uint8_t* data, size_t size, size_t& written) override {
        {
            std::lock_guard lock(times_.mutex);
            if (times_.pending) {
                times_.micros.push_back(std::chrono::duration<double, std::micro>(Clock::now() - times_.ackRead).count());
                times_.pending = false;
            }
        }
        return inner_->write(data, size, written);
    }

private:
    std::unique_ptr<HidSyncHandle> inner_;
    StepTimes& times_;
};

class TimedPlatform final : public HidPlatform {
public:
    TimedPlatform(std::unique_ptr<HidPlatform> inner, StepTimes& times) : inner_(std::move(inner)), times_(times) {}
    bool usable() const override { return inner_->usable(); }
    std::vector<THidPnPInfo> scanInterfaces() override { return inner_->scanInterfaces(); }
    std::unique_ptr<HidSyncHandle> openSync(const std::string& path, HidAccess access, uint32_t& error) override {
        auto h = inner_->openSync(path, access, error);
        return h ? std::make_unique<TimedSync>(std::move(h), times_) : nullptr;
    }
    std::unique_ptr<HidReadHandle> openRead(const std::string& path, uint32_t& error) override {
        auto h = inner_->openRead(path, error);
        return h ? std::make_unique<TimedRead>(std::move(h), times_) : nullptr;
    }
    void startNotifications(Notify notify) override { inner_->startNotifications(std::move(notify)); }
    void stopNotifications() override { inner_->stopNotifications(); }

private:
    std::unique_ptr<HidPlatform> inner_;
    StepTimes& times_;
};

bool runUntil(const std::function<bool()>& done, int ms = 5000) {
    QElapsedTimer t;
    t.start();
    while (!done()) {
        if (t.elapsed() > ms) return false;
        QApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}

TfmMainStartup startup() {
    TfmMainStartup s;
    s.programFolder = QCoreApplication::applicationDirPath();
    s.trayHosts = std::make_unique<test::FakeTrayHost>([] { return true; });  // never refuses to hide
    return s;
}

void ApplyStep(benchmark::State& state) {
    QtEventLoop loop;
    StepTimes times;
    auto* sim = new SimHidPlatform(loop, SimOptions{});
    TfmMain window(loop, std::make_unique<TimedPlatform>(std::unique_ptr<HidPlatform>(sim), times), startup());
    window.show();
    if (!runUntil([&] { return window.btApply->isEnabled(); })) {
        state.SkipWithError("the window never took the simulated receiver");
        return;
    }
    for (auto _ : state) {
        {
            std::lock_guard lock(times.mutex);
            times.pending = false;
        }
        window.btApplyClick();
        if (!runUntil([&] { return !window.applying(); })) {
            state.SkipWithError("an apply sequence did not end");
            return;
        }
    }
    std::vector<double> m = times.micros;
    std::sort(m.begin(), m.end());
    state.counters["step_us"] = m.empty() ? -1 : m[m.size() / 2];
    state.counters["steps"] = static_cast<double>(m.size());
}
BENCHMARK(ApplyStep)->Iterations(50)->Unit(benchmark::kMillisecond);

void Rescan(benchmark::State& state) {
    test::TestLoop loop;
    auto platform = std::make_unique<test::FakeHidPlatform>(loop);
    for (int64_t i = 0; i < state.range(0); ++i) {
        test::FakeInterface iface;
        iface.deviceId = "if" + std::to_string(i);
        iface.product = static_cast<uint16_t>(0x1000 + i % 7);  // none is the receiver
        platform->plug(iface);
    }
    THidDeviceController controller(std::move(platform), loop);
    loop.processPending();  // the first scan
    for (auto _ : state) controller.DeviceChange();
    state.counters["interfaces"] = controller.count();
}
BENCHMARK(Rescan)->Arg(1000)->Arg(2000)->Unit(benchmark::kMillisecond);

// Arg 0: as after the start, the help tabs hidden; 1: the START STAT tab open, its page laid out.
void LanguageSwitch(benchmark::State& state) {
    QtEventLoop loop;
    TfmMain window(loop, std::make_unique<test::FakeHidPlatform>(loop), startup());
    window.show();
    if (state.range(0) == 1) window.pcFunc->setCurrentWidget(window.pgStartStat);
    runUntil([] { return false; }, 200);
    QAction* english = nullptr;
    QAction* other = nullptr;
    for (QAction* a : window.languageEntries()) {
        if (a->data().toString() == "EN") english = a;
        if (a->data().toString() == "JPN") other = a;
    }
    if (!english || !other) {
        state.SkipWithError("no shipped language folders beside the program");
        return;
    }
    bool flip = false;
    for (auto _ : state) {
        window.mnLang_EnClick((flip = !flip) ? other : english);
        benchmark::DoNotOptimize(window.windowTitle());
    }
}
BENCHMARK(LanguageSwitch)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->MinTime(1.0);

// A page's bytes; a benchmark that cannot read it is skipped, saying so.
std::optional<QByteArray> readPage(benchmark::State& state, const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        state.SkipWithError("cannot read the page");
        return std::nullopt;
    }
    return file.readAll();
}

// A help page read as a language load reads it (RtfRead), and read, handed to a view and laid out
// there in full at once (RtfPage), which opening its tab does not wait for (RtfShown below).
void RtfPage(benchmark::State& state, QString path, bool layout) {
    const std::optional<QByteArray> data = readPage(state, path);
    if (!data) return;
    QTextBrowser view;
    view.resize(361, 330);
    for (auto _ : state) {
        auto* document = new QTextDocument(&view);
        loadRichOrPlainText(*data, *document);
        if (layout) {
            view.setDocument(document);
            benchmark::DoNotOptimize(document->size());  // the layout
        } else {
            delete document;
        }
    }
    state.SetBytesProcessed(state.iterations() * data->size());
}

// A help page read and shown in its tab's view, as when the tab is first opened (RtfShown): the view
// lays out what its first screen needs and paints it; Qt lays out the rest of a long page in short
// steps afterwards, between events. The steps a page leaves are run before the next page is timed.
void RtfShown(benchmark::State& state, QString path) {
    const std::optional<QByteArray> data = readPage(state, path);
    if (!data) return;
    QTextBrowser view;
    view.resize(361, 330);
    view.show();
    QApplication::processEvents();
    for (auto _ : state) {
        auto* document = new QTextDocument(&view);
        loadRichOrPlainText(*data, *document);
        view.setDocument(document);  // the page before, the view's child, goes
        view.viewport()->repaint();
        state.PauseTiming();
        document->size();  // the rest of the layout, outside the timing
        QApplication::processEvents();
        state.ResumeTiming();
    }
}

// Qt's own share of RtfPage, beyond the reader's reach: the page's document, read beforehand, laid
// out in a view (QtLayout); likewise its text alone as plain text, without any format (QtLayoutPlain).
void QtLayout(benchmark::State& state, QString path, bool plain) {
    const std::optional<QByteArray> data = readPage(state, path);
    if (!data) return;
    QTextDocument page;
    loadRichOrPlainText(*data, page);
    const QString text = page.toPlainText();
    QTextBrowser view;
    view.resize(361, 330);
    for (auto _ : state) {
        state.PauseTiming();
        QTextDocument* document = plain ? new QTextDocument(&view) : page.clone(&view);
        if (plain) document->setPlainText(text);
        state.ResumeTiming();
        view.setDocument(document);
        benchmark::DoNotOptimize(document->size());  // the layout
    }
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    int qtArgc = 1;
    QApplication app(qtArgc, argv);
    QApplication::setApplicationName("orvix-mouse");
    QApplication::setQuitOnLastWindowClosed(false);
    for (const QString& path : qEnvironmentVariable("ORVIX_BENCH_RTF").split(':', Qt::SkipEmptyParts))
        for (bool layout : {false, true})
            benchmark::RegisterBenchmark(
                ((layout ? "RtfPage/" : "RtfRead/") + QFileInfo(path).fileName()).toStdString().c_str(), RtfPage, path,
                layout)
                ->Unit(benchmark::kMillisecond);
    for (const QString& path : qEnvironmentVariable("ORVIX_BENCH_RTF").split(':', Qt::SkipEmptyParts))
        benchmark::RegisterBenchmark(("RtfShown/" + QFileInfo(path).fileName()).toStdString().c_str(), RtfShown, path)
            ->Unit(benchmark::kMillisecond);
    for (const QString& path : qEnvironmentVariable("ORVIX_BENCH_RTF").split(':', Qt::SkipEmptyParts))
        for (bool plain : {false, true})
            benchmark::RegisterBenchmark(
                ((plain ? "QtLayoutPlain/" : "QtLayout/") + QFileInfo(path).fileName()).toStdString().c_str(), QtLayout,
                path, plain)
                ->Unit(benchmark::kMillisecond);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
