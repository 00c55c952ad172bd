// How kovra-cli ends: its exit codes, the same for every command, and the failure that
// carries one up to main with the line to print.
#pragma once

#include <stdexcept>
#include <string>

namespace kovra::cli {

enum ExitCode : int {
    kDone = 0,
    kFileProblem = 1, // a file could not be read or written, or its content will not do
    kUsage = 2,       // a usage error or a value refused; nothing was written
    kNoCard = 3,
};

class Failure : public std::runtime_error {
  public:
    Failure(ExitCode code, const std::string& message) : std::runtime_error(message), code_(code) {}
    ExitCode code() const { return code_; }

  private:
    ExitCode code_;
};

// "PATH: what is wrong", the form every message about a file takes.
inline Failure fileFailure(const std::string& path, const std::string& what) {
    return Failure(kFileProblem, path + ": " + what);
}

} // namespace kovra::cli
