// Starting a program of the desktop's (found on PATH, no shell) and waiting for it a moment.
#pragma once

#include <sys/types.h>

namespace kovra::posix {

// Starts program with argv (argv[0] its name, null-terminated); the program and what it starts
// get SIGXFSZ's default back, since ignoring it is ours alone. posix_spawnp's error, 0 when it
// started.
int startProgram(const char* program, char* const argv[], pid_t& child);

enum class WaitOutcome {
    Ended,        // status holds its wait status
    StillRunning, // after the time given: left to end by itself
    Failed,       // waitpid failed; errno says why
};

// Waits at most milliseconds for child to end, looking every few.
WaitOutcome waitAMoment(pid_t child, int milliseconds, int& status);

} // namespace kovra::posix
