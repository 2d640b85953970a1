// Settings stores of any bytes, through the Linux store itself: a file that cannot be read is
// never overwritten; one that can is written back so that it reads as the same key, and setting
// one value changes no other.
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "app/settings/RegFile.h"
#include "app/settings/linux/FileRegistry.h"
#include "core/AsciiText.h"
#include "fuzz/FuzzCheck.h"

namespace {

namespace fs = std::filesystem;
using namespace orvix;

const char* const kKeyPath = "software\\Quano\\OrvixMouseV1\\Config";
fs::path root;

void removeRoot() { fs::remove_all(root); }

bool sameValues(const RegFileKey& a, const RegFileKey& b) {
    if (a.values.size() != b.values.size()) return false;
    for (size_t i = 0; i < a.values.size(); ++i) {
        const RegFileValue &x = a.values[i], &y = b.values[i];
        if (x.name != y.name || x.value.type != y.value.type || x.value.data != y.value.data) return false;
    }
    return true;
}

std::string fileText(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // In memory where the machine has it: every set replaces the file and flushes it.
    std::string pattern =
        (fs::is_directory("/dev/shm") ? "/dev/shm" : fs::temp_directory_path().string()) + "/orvix-fuzz-reg.XXXXXX";
    if (!mkdtemp(pattern.data())) std::abort();
    root = pattern;
    fs::create_directories(root / "Quano" / "OrvixMouseV1");
    std::atexit(removeRoot);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size);
    RegFileKey parsed;
    RegFileError error;
    bool readable;
    {
        fuzz::TimePerByte bound(size, 5);
        readable = parseRegFile(text, parsed, error);
    }
    if (readable) {
        // A file that names no key yet is written with the store's own (FileRegistry's save).
        RegFileKey named = parsed;
        if (named.path.empty()) named.path = kKeyPath;
        std::string formatted = formatRegFile(named);
        RegFileKey again;
        FUZZ_CHECK(parseRegFile(formatted, again, error));
        FUZZ_CHECK(sameValues(again, parsed));
        FUZZ_CHECK(again.path == named.path);
        FUZZ_CHECK(formatRegFile(again) == formatted);
    }

    // Through the store: one value set, by a name the file holds or a new one.
    fs::path file = root / "Quano" / "OrvixMouseV1" / "Config.reg";
    std::ofstream(file, std::ios::binary | std::ios::trunc).write(text.data(), std::streamsize(text.size()));
    FileRegistry registry(root);
    std::unique_ptr<RegKey> key;
    // A store that cannot be read is reported when the key is opened; either way it stays as it was.
    if (!registry.createKey(kKeyPath, key).ok()) {
        FUZZ_CHECK(!readable || !parsed.path.empty());
        FUZZ_CHECK(fileText(file) == text);
        return 0;
    }
    size_t pick = size ? data[size - 1] : 0;
    std::string name = readable && pick < parsed.values.size() ? parsed.values[pick].name : "Lang";
    RegValue value{kRegDword, {0x8F, 0x0E, 0, 0}};
    RegStatus status = key->set(name, value);
    if (!status.ok()) {
        FUZZ_CHECK(fileText(file) == text);  // refused, and left as it was
        return 0;
    }
    FUZZ_CHECK(readable);
    for (const RegFileValue& v : parsed.values) {
        RegValue now;
        FUZZ_CHECK(key->query(v.name, now).ok());
        if (equalsIgnoringAsciiCase(v.name, name)) continue;
        FUZZ_CHECK(now.type == v.value.type && now.data == v.value.data);
    }
    RegValue now;
    FUZZ_CHECK(key->query(name, now).ok() && now.type == value.type && now.data == value.data);
    return 0;
}
