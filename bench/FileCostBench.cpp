// What the files beside the program cost as they grow: help pages with many formatting runs or
// much plain text, caption catalogues of millions of lines, and settings stores of many values.
// Run: bench/file-costs (builds this), or bin/bench_files from a build with -DORVIX_BUILD_BENCH=ON.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTextBrowser>
#include <QTextDocument>

#include "app/settings/RegFile.h"
#include "lang/CaptionCatalogue.h"
#include "lang/rtf/RtfReader.h"

namespace {

using namespace orvix;

// One paragraph of alternating bold and plain runs.
QByteArray runsPage(int64_t runs) {
    QByteArray page = "{\\rtf1\\ansi ";
    for (int64_t i = 0; i < runs / 2; ++i) page += "{\\b x}y";
    return page + "}";
}

// As the help views take a page: read apart from the view, handed over, laid out.
void loadIntoView(QTextBrowser& view, const QByteArray& data) {
    auto* document = new QTextDocument(&view);
    loadRichOrPlainText(data, *document);
    view.setDocument(document);
    benchmark::DoNotOptimize(document->size());  // the layout
}

void RtfRunsIntoView(benchmark::State& state) {
    QByteArray page = runsPage(state.range(0));
    QTextBrowser view;
    view.resize(361, 330);
    for (auto _ : state) loadIntoView(view, page);
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(RtfRunsIntoView)->Arg(20000)->Arg(200000)->Arg(1500000)->Unit(benchmark::kMillisecond)->Iterations(1);

void PlainTextIntoView(benchmark::State& state) {
    QByteArray line = "Charge the mouse for two hours before its first use.\n";
    QByteArray page = line.repeated(state.range(0) / line.size());
    QTextBrowser view;
    view.resize(361, 330);
    for (auto _ : state) loadIntoView(view, page);
    state.SetBytesProcessed(state.iterations() * page.size());
}
BENCHMARK(PlainTextIntoView)->Arg(1 << 20)->Arg(15 << 20)->Unit(benchmark::kMillisecond)->Iterations(1);

// A catalogue just under the 16 MB cap, in short lines, and the start's lookups in it.
void CatalogueLoadAndLookups(benchmark::State& state) {
    std::string text;
    for (int64_t i = 0; text.size() < static_cast<size_t>(state.range(0)); ++i)
        text += "k" + std::to_string(i) + "=v\r\n";
    std::vector<uint8_t> bytes(text.begin(), text.end());
    for (auto _ : state) {
        CaptionCatalogue catalogue = CaptionCatalogue::fromBytes(bytes);
        for (int i = 0; i < 200; ++i) benchmark::DoNotOptimize(catalogue.langValue("main", "btReset.Caption", "RESET"));
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(bytes.size()));
}
BENCHMARK(CatalogueLoadAndLookups)->Arg(1 << 20)->Arg(16 << 20)->Unit(benchmark::kMillisecond);

void RegFileParse(benchmark::State& state) {
    std::string text = "REGEDIT4\n\n[HKEY_CURRENT_USER\\software\\Quano\\OrvixMouseV1\\Config]\n";
    for (int64_t i = 0; i < state.range(0); ++i) text += "\"v" + std::to_string(i) + "\"=dword:00000001\n";
    for (auto _ : state) {
        RegFileKey key;
        RegFileError error;
        benchmark::DoNotOptimize(parseRegFile(text, key, error));
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(RegFileParse)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
