// What each reader costs as one dimension of its input grows: runs per paragraph, paragraphs,
// fields, nesting, colours and fonts of a help page; lines, repeated keys and value length of a
// caption catalogue; values, continued lines and string length of a settings store; tokens of
// hex text. For each, the time and the memory kept by the result may grow at most linearly: each
// doubling of the size costs less than 2.5 times as much (a quadratic path costs 4 times).
// Reported: the smallest and largest size's time and kept memory, and the growth judged.
//
// The starting size doubles until one read takes long enough to time well, so the check holds on
// a loaded machine and under sanitizers; a case that fails is measured again before it counts.
//
//   cost_growth            brief (the test suite)
//   cost_growth --full     sizes ten times larger (scripts/fuzz)
//   cost_growth NAME...    only those cases
#include <malloc.h>

#include <QGuiApplication>
#include <QTextDocument>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/settings/RegFile.h"
#include "hidMain/HexText.h"
#include "lang/CaptionCatalogue.h"
#include "lang/rtf/RtfReader.h"

namespace {

using namespace orvix;

// What a read leaves behind, kept alive while its memory is counted.
using Result = std::shared_ptr<void>;

struct Case {
    const char* name;
    size_t startSize;  // the size the doubling starts from
    size_t maxBytes;   // the largest input that is read at all (a file limit), or a size that says enough
    std::function<std::string(size_t)> make;
    std::function<Result(const std::string&)> read;
};

std::string repeated(const std::string& piece, size_t n) {
    std::string text;
    text.reserve(piece.size() * n);
    for (size_t i = 0; i < n; ++i) text += piece;
    return text;
}

template <typename F>
std::string numbered(size_t n, F line) {
    std::string text;
    for (size_t i = 0; i < n; ++i) text += line(std::to_string(i));
    return text;
}

Result readPage(const std::string& page) {
    auto document = std::make_shared<QTextDocument>();
    readRtf(QByteArray::fromStdString(page), *document);
    return document;
}

Result readCatalogue(const std::string& text) {
    auto catalogue =
        std::make_shared<CaptionCatalogue>(CaptionCatalogue::fromBytes(std::vector<uint8_t>(text.begin(), text.end())));
    // Every key looked up once, as the windows look up theirs.
    for (size_t start = 0; start < text.size();) {
        size_t end = text.find('\n', start);
        std::string line = text.substr(start, end - start);
        if (size_t eq = line.find('='); eq != std::string::npos) catalogue->value(line.substr(0, eq), "");
        if (end == std::string::npos) break;
        start = end + 1;
    }
    return catalogue;
}

Result readStore(const std::string& text) {
    auto key = std::make_shared<RegFileKey>();
    RegFileError error;
    if (!parseRegFile(text, *key, error)) {
        std::fprintf(stderr, "store refused, line %zu: %s\n", error.line, error.what.c_str());
        std::abort();
    }
    return key;
}

// A settings store larger than this is refused unread; help pages are bounded by what the
// document keeps, so 64 MiB says enough.
constexpr size_t kStoreBytes = 1 << 20;
constexpr size_t kPageBytes = 64 << 20;

const std::string kStoreHead = "REGEDIT4\n\n[HKEY_CURRENT_USER\\software\\Quano\\OrvixMouseV1\\Config]\n";

std::vector<Case> cases() {
    auto page = [](std::string body) { return "{\\rtf1\\ansi\\deff0 " + body + "}"; };
    return {
        {"rtf_runs_per_paragraph", 1000, kPageBytes, [=](size_t n) { return page(repeated("{\\b x}y", n)); }, readPage},
        {"rtf_paragraphs", 1000, kPageBytes, [=](size_t n) { return page(repeated("line\\par ", n)); }, readPage},
        // Past the 4,096 fields the reader keeps: the limit itself is crossed.
        {"rtf_fields", 3000, kPageBytes,
         [=](size_t n) { return page(repeated("{\\field{\\*\\fldinst HYPERLINK \"u\"}{\\fldrslt x}}", n)); }, readPage},
        {"rtf_nesting", 1000, kPageBytes,
         [=](size_t n) { return page(std::string(n, '{') + "\\b x" + std::string(n, '}')); }, readPage},
        {"rtf_colors", 1000, kPageBytes,
         [=](size_t n) {
             return page("{\\colortbl;" + repeated("\\red1\\green2\\blue3;", n) + "}" +
                         numbered(n, [](const std::string& i) { return "{\\cf" + i + " x}"; }));
         },
         readPage},
        {"rtf_fonts", 1000, kPageBytes,
         [=](size_t n) {
             return page("{\\fonttbl" +
                         numbered(n, [](const std::string& i) { return "{\\f" + i + "\\fcharset0 Font" + i + ";}"; }) +
                         "}" + numbered(n, [](const std::string& i) { return "{\\f" + i + " x}"; }));
         },
         readPage},
        {"rtf_tab_stops", 1000, kPageBytes,
         [=](size_t n) {
             return page(numbered(n, [](const std::string& i) { return "\\pard\\tx" + i + " x\\par "; }));
         },
         readPage},
        {"catalogue_lines", 5000, maxTextFileSize,
         [](size_t n) { return numbered(n, [](const std::string& i) { return "main.key" + i + ".Caption=v\r\n"; }); },
         readCatalogue},
        {"catalogue_repeated_keys", 5000, maxTextFileSize,
         [](size_t n) { return repeated("main.btReset.Caption=RESET\n", n); }, readCatalogue},
        {"catalogue_value_length", 50000, maxTextFileSize,
         [](size_t n) { return "keyDef.mnDrag_Move.Caption=[0010|$1F]" + std::string(n, 'x') + "\n"; }, readCatalogue},
        {"store_values", 2000, kStoreBytes,
         [](size_t n) {
             return kStoreHead + numbered(n, [](const std::string& i) { return "\"v" + i + "\"=dword:00000001\n"; });
         },
         readStore},
        {"store_continued_lines", 2000, kStoreBytes,
         [](size_t n) { return kStoreHead + "\"b\"=hex:" + repeated("01,02,03,\\\n  ", n) + "04\n"; }, readStore},
        {"store_string_length", 20000, kStoreBytes,
         [](size_t n) { return kStoreHead + "\"s\"=\"" + repeated("\\\\\\\"", n) + "\"\n"; }, readStore},
        {"hex_tokens", 20000, kPageBytes, [](size_t n) { return repeated("AB ", n); },
         [](const std::string& text) { return std::make_shared<TByteDynArray>(hexToBytes(text)); }},
    };
}

size_t heapInUse() {
    struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
}

struct Cost {
    double seconds = 0;
    size_t bytes = 0;
};

// Processor time, not wall time: other work on a shared machine does not count.
double cpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

// The fastest of a few reads, and what the result keeps.
Cost measure(const Case& c, const std::string& input, int repeats) {
    Cost cost{1e30, 0};
    for (int r = 0; r < repeats; ++r) {
        size_t before = heapInUse();
        double start = cpuSeconds();
        Result result = c.read(input);
        double took = cpuSeconds() - start;
        cost.seconds = std::min(cost.seconds, took);
        size_t after = heapInUse();
        cost.bytes = after > before ? after - before : 0;
    }
    return cost;
}

// Per doubling of the size. A quadratic path doubles its cost twice on every step; a linear one
// may jump where the data outgrows a cache (a hash index is reached at random, and there are two
// levels of cache to outgrow), and a bound of the reader's may flatten a step. So of four steps the
// second smallest is judged: two cache steps do not fail a linear reader, one flattened step does
// not hide a quadratic one.
constexpr double kMaxGrowth = 2.5;
constexpr size_t kMemoryFloor = 256 << 10;  // below this, allocator noise
constexpr int kSizes = 5;                   // n, 2n, 4n, 8n, 16n

double growth(const double (&values)[kSizes]) {
    double steps[kSizes - 1];
    for (int i = 1; i < kSizes; ++i) steps[i - 1] = values[i] / values[i - 1];
    std::sort(std::begin(steps), std::end(steps));
    return steps[1];
}

bool check(const Case& c, double minSeconds) {
    size_t n = c.startSize;
    Cost first = measure(c, c.make(n), 2);
    while (first.seconds < minSeconds && c.make(32 * n).size() <= c.maxBytes) {
        n *= 2;
        first = measure(c, c.make(n), 2);
    }
    std::string inputs[kSizes];
    for (int i = 0; i < kSizes; ++i) inputs[i] = c.make(n << i);
    for (int attempt = 1;; ++attempt) {
        double seconds[kSizes], kept[kSizes];
        for (int i = 0; i < kSizes; ++i) {
            Cost cost = measure(c, inputs[i], 3);
            seconds[i] = cost.seconds;
            kept[i] = double(std::max(cost.bytes, kMemoryFloor));
        }
        double time = growth(seconds), memory = growth(kept);
        bool ok = time < kMaxGrowth && memory < kMaxGrowth;
        std::printf("%-24s n=%-8zu %8.1f -> %8.1f ms (x%.2f)  %7.0f -> %7.0f kB (x%.2f)  %s\n", c.name, n,
                    seconds[0] * 1e3, seconds[kSizes - 1] * 1e3, time, kept[0] / 1024, kept[kSizes - 1] / 1024, memory,
                    ok            ? "ok"
                    : attempt < 3 ? "again"
                                  : "FAILED");
        std::fflush(stdout);
        if (ok || attempt == 3) return ok;
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    double minSeconds = 0.01;
    std::vector<std::string> only;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--full")
            minSeconds = 0.1;
        else
            only.push_back(arg);
    }
    int passed = 0, failed = 0;
    for (const Case& c : cases()) {
        if (!only.empty() && std::find(only.begin(), only.end(), c.name) == only.end()) continue;
        (check(c, minSeconds) ? passed : failed)++;
    }
    std::printf("cost: %d passed, %d failed\n", passed, failed);
    return failed == 0 && passed > 0 ? 0 : 1;
}
