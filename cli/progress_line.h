// A line of progress on stderr, rewritten in place where a person reads it: a carriage return
// and spaces over what is left of the last one, which every console understands, Windows'
// classic one included. Redirected to a file or a pipe, it shows nothing at all.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/platform.h"

namespace kovra::cli {

class ProgressLine {
  public:
    explicit ProgressLine(Platform& platform);
    ~ProgressLine() { clear(); }
    ProgressLine(const ProgressLine&) = delete;
    ProgressLine& operator=(const ProgressLine&) = delete;

    void show(const std::string& text);
    // Before another line goes to stdout or stderr.
    void clear();
    // Since the line was made.
    double seconds() const;

  private:
    bool shown_;
    std::size_t length_ = 0; // of the line on screen
    std::chrono::steady_clock::time_point start_;
};

// "3/40 files, 24.0 MiB of 320.0 MiB, 80.0 MiB/s, 0:04 left".
std::string exportProgressText(std::size_t filesDone, std::size_t files, std::uint64_t bytesDone,
                               std::uint64_t bytes, std::uint64_t bytesWritten, double seconds);

} // namespace kovra::cli
