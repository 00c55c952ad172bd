// How Kovra's programs end: kovra-cli's exit codes, the same for every command, and those the
// card watcher hands back as the command's own. Written once here, below both, so that a script
// reads one meaning for each number.
#pragma once

namespace kovra {

enum ExitCode : int {
    kDone = 0,
    kFileProblem = 1, // a file could not be read or written, or its content will not do
    kUsage = 2,       // a usage error or a value refused; nothing was written
    kNoCard = 3,
};

} // namespace kovra
