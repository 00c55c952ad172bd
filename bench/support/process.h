// Other programs (kovra-cli, ffmpeg, ffprobe, cp) run as child processes and measured from
// outside: wall time, processor time and page faults of that one child, or its peak memory.
#pragma once

#include <string>
#include <vector>

namespace kovra::bench {

struct Measured {
    int exitCode = -1; // -1 when it could not be started or ended by a signal
    double seconds = 0;
    double cpuSeconds = 0; // user and system
    // As the kernel counts them for the child and what it waited for (wait4's rusage): a page
    // fault costs a microsecond on one machine and tens on another, so the count is what
    // compares across machines. Major ones waited for the storage.
    long minorFaults = 0, majorFaults = 0;
    bool ok() const { return exitCode == 0; }
};

// Runs argv[0] (searched in PATH when it holds no '/') with stdout and stderr sent to the
// files named (an empty name leaves this process's own), and waits for it.
Measured runProcess(const std::vector<std::string>& argv,
                    const std::string& stdoutPath = "/dev/null",
                    const std::string& stderrPath = "/dev/null");

// The peak resident memory of argv run in a fresh process, its output discarded; -1 when
// it fails. A child started by posix_spawn shares this process's memory until it execs, and
// the kernel counts this process's peak as the child's; a forked child starts from its own
// copy, so its peak is its own or this process's current size, whichever is larger (compare
// with peakMemoryKiB({"true"})).
long peakMemoryKiB(const std::vector<std::string>& argv);

// The median of runs such peaks, or -1 when one run fails.
long medianPeakKiB(const std::vector<std::string>& argv, int runs);

} // namespace kovra::bench
