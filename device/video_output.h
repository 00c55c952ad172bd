// A written plan's file: what the writer appends goes into the file being replaced, and the
// pieces of the sources it names are copied there by the system, file to file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "avi/output_sink.h"
#include "device/file_replacement.h"
#include "device/video_files.h"

namespace kovra {

class VideoOutput final : public avi::OutputSink {
  public:
    // sources: the plan's sources, numbered as the plan numbers them. A failure is kept by
    // file (its writeError()), whichever side of a copy it met.
    VideoOutput(FileReplacement& file, std::vector<VideoFileSource*> sources)
        : file_(file), sources_(std::move(sources)) {}

    bool append(const void* data, std::size_t n) override;
    bool appendFrom(std::size_t source, std::uint64_t offset, std::uint64_t n) override;
    bool overwrite(std::uint64_t offset, const void* data, std::size_t n) override;

  private:
    FileReplacement& file_;
    std::vector<VideoFileSource*> sources_;
};

} // namespace kovra
