// Play of a large "MARS" video with the device present, against a plain copy of the same
// file by the same platform, measured in one run. Also the peak memory of Play for two file
// sizes, and a second Play of the same name, which must not copy.
//
//   make bench                                   all benchmarks
//   build/bench/bench/kovra_bench_playback [MiB] this one; the large file is 512 MiB by default
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "device/playback_workspace.h"
#include "testkit/shell_log_platform.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using kovra::PlaybackWorkspace;

constexpr std::size_t kMiB = 1 << 20;

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// Written a mebibyte at a time, so that writing it does not raise the peak being measured.
void writeVideo(const std::string& path, std::size_t mebibytes) {
    std::vector<char> chunk(kMiB);
    for (std::size_t i = 0; i < chunk.size(); ++i)
        chunk[i] = static_cast<char>(i * 31 + 7);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write("MARS", 4);
    out.write(chunk.data() + 4, static_cast<std::streamsize>(chunk.size() - 4));
    for (std::size_t m = 1; m < mebibytes; ++m)
        out.write(chunk.data(), static_cast<std::streamsize>(chunk.size()));
    if (!out)
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
}

// Starts a new peak: the kernel resets the high-water mark of resident memory.
void resetPeakMemory() {
    std::ofstream("/proc/self/clear_refs") << "5";
}

long peakMemoryKiB() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmHWM:", 0) == 0)
            return std::strtol(line.c_str() + 6, nullptr, 10);
    return -1;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

struct Bench {
    fs::path root = fs::temp_directory_path() / ("kovra-bench-" + std::to_string(::getpid()));
    kovra::test::ShellLogPlatform platform;
    PlaybackWorkspace workspace{platform};

    Bench() {
        fs::create_directories(root / "card");
        fs::create_directories(root / "temp");
        platform.tempAnswer = (root / "temp").string() + "\\";
        workspace.prepareTempDir();
    }
    ~Bench() {
        std::error_code ignored;
        fs::remove_all(root, ignored);
    }
    std::string card(const std::string& name) const { return (root / "card" / name).string(); }

    double timePlay(const std::string& name) {
        workspace.cleanup();
        auto start = Clock::now();
        workspace.play(card(name).c_str(), name.c_str(), true);
        return secondsSince(start);
    }
    double timePlainCopy(const std::string& name) {
        std::string target = (root / "temp" / "plain.avi").string();
        fs::remove(target);
        auto start = Clock::now();
        platform.copy(card(name).c_str(), target.c_str());
        return secondsSince(start);
    }
};

} // namespace

int main(int argc, char** argv) {
    std::size_t large = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 512;
    std::size_t small = std::max<std::size_t>(large / 8, 1);
    Bench bench;
    std::printf("playback: %zu MiB \"MARS\" video, device present, shell excluded\n", large);
    writeVideo(bench.card("SMALL.avi"), small);
    writeVideo(bench.card("LARGE.avi"), large);

    // Alternating rounds, so that neither side alone meets a cold or a warm cache.
    std::vector<double> plays, copies;
    for (int round = 0; round < 3; ++round) {
        copies.push_back(bench.timePlainCopy("LARGE.avi"));
        plays.push_back(bench.timePlay("LARGE.avi"));
    }
    double ratio = median(plays) / median(copies);
    std::printf("  play %.3f s, plain copy %.3f s (medians of 3): ratio %.3f (goal <= 1.10: %s)\n",
                median(plays), median(copies), ratio, ratio <= 1.10 ? "met" : "MISSED");

    long peaks[2];
    const char* names[2] = {"SMALL.avi", "LARGE.avi"};
    for (int i = 0; i < 2; ++i) {
        bench.workspace.cleanup();
        resetPeakMemory();
        bench.workspace.play(bench.card(names[i]).c_str(), names[i], true);
        peaks[i] = peakMemoryKiB();
    }
    long growth = peaks[1] - peaks[0];
    std::printf("  peak memory of play: %ld KiB for %zu MiB, %ld KiB for %zu MiB: grows by %ld KiB "
                "(goal: does not grow with the size: %s)\n",
                peaks[0], small, peaks[1], large, growth, growth < 1024 ? "met" : "MISSED");

    // The copy from the last play is still there: every further play reuses it.
    int copiesBefore = bench.platform.copies;
    std::vector<double> again;
    for (int i = 0; i < 101; ++i) {
        auto start = Clock::now();
        bench.workspace.play(bench.card("LARGE.avi").c_str(), "LARGE.avi", true);
        again.push_back(secondsSince(start));
    }
    int copied = bench.platform.copies - copiesBefore;
    double againMs = median(again) * 1e3;
    std::printf(
        "  second play of the same name: %.4f ms (median of 101), %d copies (goal: no copy, "
        "under 1 ms: %s)\n",
        againMs, copied, copied == 0 && againMs < 1.0 ? "met" : "MISSED");
    return 0;
}
