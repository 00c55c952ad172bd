// The player's frame answer at random times over a card: 200 recordings (or as many as given),
// every tenth cut by a power cut, each asked for a frame at a random moment, as a click on the
// page's timeline does. It prints the answer's p50, p95 and p99 (goal: p95 under 5 ms; the
// server adds little), first looks at a video and later ones apart, the page faults a request
// makes, the readings the cache holds and the process's peak memory (the server's whole goal:
// under 30 MiB, of which the readings' cache is bounded at 4 MiB).
//
//   make bench                                   all benchmarks
//   build/bench/bench/kovra_bench_player [files] this one
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "bench/support/card_copies.h"
#include "bench/support/clip.h"
#include "bench/support/faults.h"
#include "bench/support/figures.h"
#include "bench/support/work_folder.h"
#include "clips/timed_video.h"
#include "player/player.h"

namespace {

using namespace kovra::bench;
using Clock = std::chrono::steady_clock;

constexpr std::size_t kDefaultFiles = 200;
constexpr int kClipSeconds = 60; // a recorder's loop minute, about 15 MiB
constexpr std::size_t kCutEvery = 10;
constexpr std::size_t kRequestsPerFile = 10;
constexpr double kP95Goal = 5.0; // ms
constexpr double kMilliseconds = 1000, kMiB = 1024 * 1024;
constexpr unsigned kSeed = 26;

double percentile(std::vector<double> values, double share) {
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    std::size_t at = static_cast<std::size_t>(share * static_cast<double>(values.size() - 1));
    return values[at];
}

// From here on VmHWM counts anew: the card's making held the clip and its copies.
void resetPeak() {
    std::ofstream("/proc/self/clear_refs") << "5";
}

// VmHWM: the most this process has held in memory, in KiB.
long peakKiB() {
    std::ifstream status("/proc/self/status");
    std::string key;
    long value = 0;
    while (status >> key)
        if (key == "VmHWM:" && status >> value)
            return value;
    return 0;
}

double loadAverage() {
    std::ifstream load("/proc/loadavg");
    double value = 0;
    load >> value;
    return value;
}

} // namespace

int main(int argc, char** argv) {
    std::size_t files = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : kDefaultFiles;
    WorkFolder work("player");
    Clip clip;
    CardCopies card;
    if (files == 0 || !makeClip(work / "clip.avi", kClipSeconds, clip) ||
        !writeCopies(clip, work / "DCIM", files, kCutEvery, card))
        return 1;
    work.settle();
    // The listing the server makes at start-up: how many frames each recording has.
    std::vector<std::string> paths;
    std::vector<std::uint64_t> frames;
    std::vector<bool> cut;
    for (std::size_t i = 1; i <= files; ++i) {
        paths.push_back(recordingPath(work / "DCIM", i));
        kovra::avi::VideoReport report =
            kovra::clips::glanceTimedVideo(kovra::systemPlatform(), paths.back()).report;
        frames.push_back(report.frames);
        cut.push_back(report.state != kovra::avi::VideoState::Ok);
        if (frames.back() == 0) {
            std::fprintf(stderr, "%s: no frames\n", paths.back().c_str());
            return 1;
        }
    }
    clip = Clip();
    resetPeak();
    long peakBefore = peakKiB();

    kovra::player::Player player(kovra::systemPlatform(),
                                 {(work / "save").string(), 0, kovra::player::kDefaultCacheBytes});
    std::mt19937 random(kSeed);
    // Every answer; those whose reading was kept; those read now, of indexed and of cut videos.
    std::vector<double> all, kept, indexed, walked;
    PageFaults faults;
    std::uint64_t bytes = 0;
    double load = loadAverage();
    for (std::size_t r = 0; r < files * kRequestsPerFile; ++r) {
        std::size_t video = random() % files;
        std::uint64_t n = random() % frames[video];
        bool held = player.cache().holds(paths[video]);
        PageFaults before = pageFaultsSoFar();
        Clock::time_point start = Clock::now();
        kovra::player::FrameAnswer answer = player.frame(paths[video], n);
        double ms = std::chrono::duration<double>(Clock::now() - start).count() * kMilliseconds;
        faults += pageFaultsSoFar() - before;
        if (answer.failure.refusal != kovra::player::Refusal::None) {
            std::fprintf(stderr, "%s frame %llu: %s\n", paths[video].c_str(),
                         static_cast<unsigned long long>(n), answer.failure.text.c_str());
            return 1;
        }
        bytes += answer.jpeg.size();
        all.push_back(ms);
        (held ? kept : cut[video] ? walked : indexed).push_back(ms);
    }
    double p95 = percentile(all, 0.95);
    double requests = static_cast<double>(all.size());
    std::printf("frames of %zu recordings (%zu cut), %.0f MiB: %s; load average %.1f on %u cores\n",
                card.files, card.cut, static_cast<double>(card.bytes) / kMiB, kClipDescription,
                load, std::thread::hardware_concurrency());
    std::printf("  %zu requests at random times: p50 %.3f ms, p95 %.3f ms (goal: under %.0f ms: "
                "%s), p99 %.3f ms, max %.3f ms; %.1f KiB a frame\n",
                all.size(), percentile(all, 0.5), p95, kP95Goal, verdict(p95 < kP95Goal),
                percentile(all, 0.99), percentile(all, 1.0),
                static_cast<double>(bytes) / 1024 / requests);
    std::printf("  its reading kept (%zu): p50 %.3f ms, p95 %.3f ms; read now, indexed (%zu): "
                "p50 %.3f ms, p95 %.3f ms; read now, cut, its chunk headers walked (%zu): p50 "
                "%.3f ms, p95 %.3f ms\n",
                kept.size(), percentile(kept, 0.5), percentile(kept, 0.95), indexed.size(),
                percentile(indexed, 0.5), percentile(indexed, 0.95), walked.size(),
                percentile(walked, 0.5), percentile(walked, 0.95));
    std::printf(
        "  page faults %.2f + %.2f major a request; the cache holds %zu readings in "
        "%.2f MiB; peak memory %.1f MiB (%.1f MiB before the first request, the card made)\n",
        static_cast<double>(faults.minor) / requests, static_cast<double>(faults.major) / requests,
        player.cache().videosHeld(), static_cast<double>(player.cache().bytesHeld()) / kMiB,
        static_cast<double>(peakKiB()) / 1024, static_cast<double>(peakBefore) / 1024);
    return p95 < kP95Goal ? 0 : 1;
}
