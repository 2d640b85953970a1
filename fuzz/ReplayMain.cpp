// The harnesses without libFuzzer: each argument is an input file or a folder of them, run once
// each in name order, so the normal test suite replays the seeds and every kept finding. A folder
// that does not exist is passed over (a target may have no findings yet).
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);
extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) __attribute__((weak));

namespace fs = std::filesystem;

namespace {

void replay(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<uint8_t> data(bytes.begin(), bytes.end());  // its own allocation: overruns show
    LLVMFuzzerTestOneInput(data.data(), data.size());
}

}  // namespace

int main(int argc, char** argv) {
    if (LLVMFuzzerInitialize) LLVMFuzzerInitialize(&argc, &argv);
    size_t count = 0;
    for (int i = 1; i < argc; ++i) {
        fs::path path = argv[i];
        std::error_code ec;
        if (fs::is_directory(path, ec)) {
            std::vector<fs::path> files;
            for (const auto& entry : fs::recursive_directory_iterator(path, ec))
                if (entry.is_regular_file() && entry.path().filename().string().front() != '.')
                    files.push_back(entry.path());
            std::sort(files.begin(), files.end());
            for (const auto& file : files) replay(file), ++count;
        } else if (fs::is_regular_file(path, ec)) {
            replay(path), ++count;
        }
    }
    std::printf("replayed %zu inputs\n", count);
    return count ? 0 : 1;
}
