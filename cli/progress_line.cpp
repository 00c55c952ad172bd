#include "cli/progress_line.h"

#include <iostream>

#include "words/quantities.h"

namespace kovra::cli {

using words::durationText;
using words::sizeText;

ProgressLine::ProgressLine(Platform& platform)
    : shown_(platform.isTerminal(StandardStream::Error)), start_(std::chrono::steady_clock::now()) {
}

void ProgressLine::show(const std::string& text) {
    if (!shown_)
        return;
    std::string line = "\r" + text;
    if (text.size() < length_)
        line.append(length_ - text.size(), ' ');
    length_ = text.size();
    std::cerr << line << std::flush;
}

void ProgressLine::clear() {
    if (!shown_ || length_ == 0)
        return;
    std::cerr << '\r' << std::string(length_, ' ') << '\r' << std::flush;
    length_ = 0;
}

double ProgressLine::seconds() const {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
}

std::string exportProgressText(std::size_t filesDone, std::size_t files, std::uint64_t bytesDone,
                               std::uint64_t bytes, std::uint64_t bytesWritten, double seconds) {
    double rate = seconds > 0 ? static_cast<double>(bytesWritten) / seconds : 0;
    std::string left = rate > 0 ? durationText(static_cast<double>(bytes - bytesDone) / rate) : "?";
    return std::to_string(filesDone) + "/" + std::to_string(files) + " files, " +
           sizeText(bytesDone) + " of " + sizeText(bytes) + ", " +
           sizeText(static_cast<std::uint64_t>(rate)) + "/s, " + left + " left";
}

} // namespace kovra::cli
