#include "bench/support/process.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace kovra::bench {

namespace {

constexpr int kOutputMode = 0644;
constexpr double kMicrosecondsPerSecond = 1e6;
constexpr int kCannotStart = 127; // the shell's exit code for a command it cannot run

double seconds(const timeval& t) {
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / kMicrosecondsPerSecond;
}

std::vector<char*> argumentsOf(const std::vector<std::string>& argv) {
    std::vector<char*> args;
    for (const std::string& arg : argv)
        args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    return args;
}

} // namespace

Measured runProcess(const std::vector<std::string>& argv, const std::string& stdoutPath,
                    const std::string& stderrPath) {
    Measured measured;
    std::vector<char*> args = argumentsOf(argv);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (!stdoutPath.empty())
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, stdoutPath.c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, kOutputMode);
    if (!stderrPath.empty())
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, stderrPath.c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, kOutputMode);
    auto start = std::chrono::steady_clock::now();
    pid_t pid;
    int failed = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (failed != 0) {
        std::fprintf(stderr, "cannot start %s: error %d\n", args[0], failed);
        return measured;
    }
    int status = 0;
    rusage usage{};
    while (wait4(pid, &status, 0, &usage) < 0 && errno == EINTR) {
    }
    measured.seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    measured.cpuSeconds = seconds(usage.ru_utime) + seconds(usage.ru_stime);
    measured.minorFaults = usage.ru_minflt;
    measured.majorFaults = usage.ru_majflt;
    if (WIFEXITED(status))
        measured.exitCode = WEXITSTATUS(status);
    return measured;
}

long peakMemoryKiB(const std::vector<std::string>& argv) {
    std::vector<char*> args = argumentsOf(argv);
    pid_t pid = fork();
    if (pid < 0)
        return -1;
    if (pid == 0) {
        int null = open("/dev/null", O_WRONLY);
        dup2(null, STDOUT_FILENO);
        dup2(null, STDERR_FILENO);
        execvp(args[0], args.data());
        _exit(kCannotStart);
    }
    int status = 0;
    rusage usage{};
    while (wait4(pid, &status, 0, &usage) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? usage.ru_maxrss : -1;
}

long medianPeakKiB(const std::vector<std::string>& argv, int runs) {
    std::vector<long> peaks;
    for (int run = 0; run < runs; ++run) {
        long peak = peakMemoryKiB(argv);
        if (peak < 0)
            return -1;
        peaks.push_back(peak);
    }
    std::sort(peaks.begin(), peaks.end());
    return peaks[peaks.size() / 2];
}

} // namespace kovra::bench
