#include "bench/support/side_by_side.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "bench/support/figures.h"
#include "bench/support/process.h"
#include "bench/support/work_folder.h"

namespace kovra::bench {

namespace {

constexpr int kNameWidth = 52;

} // namespace

double Side::wall() const {
    return median(seconds);
}

double Side::fastest() const {
    return seconds.empty() ? 0 : *std::min_element(seconds.begin(), seconds.end());
}

double Side::cpuTime() const {
    return median(cpu);
}

double Side::minor() const {
    return median(minorFaults);
}

double Side::major() const {
    return median(majorFaults);
}

bool runAlternating(std::vector<Side>& sides, int rounds, const std::function<void()>& before,
                    const std::string& stderrPath) {
    for (int round = 0; round <= rounds; ++round)
        for (Side& side : sides) {
            before();
            Measured m = runProcess(side.command, side.stdoutPath, stderrPath);
            if (!m.ok()) {
                std::fprintf(stderr, "%s failed (exit %d):\n%s", side.name.c_str(), m.exitCode,
                             readText(stderrPath).c_str());
                return false;
            }
            if (round > 0) {
                side.seconds.push_back(m.seconds);
                side.cpu.push_back(m.cpuSeconds);
                side.minorFaults.push_back(static_cast<double>(m.minorFaults));
                side.majorFaults.push_back(static_cast<double>(m.majorFaults));
            }
        }
    return true;
}

void printSides(const std::vector<Side>& sides, int rounds) {
    for (const Side& side : sides)
        std::printf("  %-*s %.3f s (fastest %.3f s; cpu %.3f s; page faults %.0f + %.0f major)\n",
                    kNameWidth, side.name.c_str(), side.wall(), side.fastest(), side.cpuTime(),
                    side.minor(), side.major());
    std::printf("  (medians of %d alternating rounds after a first that is not counted; page "
                "faults as the kernel counts them for each run's processes)\n",
                rounds);
}

void printRatio(const std::string& label, const Side& a, const Side& b, double goal, bool atMost) {
    double ratio = a.wall() / b.wall();
    bool met = atMost ? ratio <= goal : ratio < goal;
    std::printf("  %s: %.2f in wall time (%.2f between the fastest runs), %.2f in processor time "
                "(goal: %s %.2f: %s); page faults %.0f + %.0f major against %.0f + %.0f\n",
                label.c_str(), ratio, a.fastest() / b.fastest(), a.cpuTime() / b.cpuTime(),
                atMost ? "at most" : "below", goal, verdict(met), a.minor(), a.major(), b.minor(),
                b.major());
}

std::string beforeBuild() {
    const char* before = std::getenv("KOVRA_BENCH_BEFORE");
    return before ? before : "";
}

} // namespace kovra::bench
