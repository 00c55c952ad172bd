// Programs doing the same work, run in alternating rounds and printed side by side.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace kovra::bench {

struct Side {
    std::string name;
    std::vector<std::string> command;
    std::string stdoutPath = "/dev/null";
    std::vector<double> seconds{}, cpu{};
    std::vector<double> minorFaults{}, majorFaults{};

    double wall() const;    // median
    double fastest() const; // the least wall time: what the machine's other work added least to
    double cpuTime() const; // median
    double minor() const;   // median page faults a run
    double major() const;
};

// Runs every side `rounds` times after a first round that warms the page cache and loads the
// programs, and is not counted. The sides alternate, so that none alone meets a busier
// machine; before() runs ahead of each run, untimed. False (with the failing side's stderr
// shown) when a run fails.
bool runAlternating(std::vector<Side>& sides, int rounds, const std::function<void()>& before,
                    const std::string& stderrPath);

void printSides(const std::vector<Side>& sides, int rounds);

// "  a / b: 1.52 in wall time (1.31 between the fastest runs), 1.40 in processor time (goal: at
// most 1.25: MISSED); page faults 412 + 0 major against 96 + 0"; the goal is on the median wall
// time, a ceiling when atMost and otherwise a value to stay below.
void printRatio(const std::string& label, const Side& a, const Side& b, double goal, bool atMost);

// An earlier build of kovra-cli that KOVRA_BENCH_BEFORE names, run beside this one in the same
// rounds; "" for none.
std::string beforeBuild();

} // namespace kovra::bench
