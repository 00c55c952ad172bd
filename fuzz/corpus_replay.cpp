// Replays the fuzzer's seed corpus, and the inputs it once failed on, through its entry point
// without libFuzzer, so that make test runs every one under the native build's sanitizers.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s CORPUS_DIR...\n", argv[0]);
        return 2;
    }
    std::size_t files = 0;
    for (int folder = 1; folder < argc; ++folder)
        for (const auto& entry : std::filesystem::directory_iterator(argv[folder])) {
            if (!entry.is_regular_file())
                continue;
            std::ifstream in(entry.path(), std::ios::binary);
            std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                                            std::istreambuf_iterator<char>());
            std::printf("%s (%zu bytes)\n", entry.path().filename().string().c_str(), bytes.size());
            LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
            ++files;
        }
    std::printf("%zu corpus files replayed\n", files);
    return files == 0 ? 1 : 0;
}
