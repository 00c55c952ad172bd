// The failure that carries one of kovra-cli's exit codes (device/exit_codes.h) up to main with
// the line to print.
#pragma once

#include <stdexcept>
#include <string>

#include "device/exit_codes.h"

namespace kovra::cli {

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
