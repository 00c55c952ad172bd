// A written plan's file: what the writer appends goes into the file being replaced, and the
// pieces of the sources it names are copied there by the system, file to file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "avi/output_sink.h"
#include "device/copy_ahead.h"
#include "device/file_replacement.h"
#include "device/video_files.h"

namespace kovra {

class VideoOutput final : public avi::OutputSink {
  public:
    // sources: the plan's sources, numbered as the plan numbers them. A failure is kept by
    // file (its writeError()), with the side of a copy it met. ahead, when given, has been
    // copying a guess at the output since before the reading: the pieces written keep what
    // matches it, and settle() must be called once they are all written.
    VideoOutput(FileReplacement& file, std::vector<VideoFileSource*> sources,
                CopyAhead* ahead = nullptr)
        : file_(file), sources_(std::move(sources)), ahead_(ahead) {}

    bool append(const void* data, std::size_t n) override;
    bool appendFrom(std::size_t source, std::uint64_t offset, std::uint64_t n) override;
    bool overwrite(std::uint64_t offset, const void* data, std::size_t n) override;
    // The source whose copy failed last, where the file's error blames a source.
    std::size_t failedSource() const { return failedSource_; }
    // Ends the copy made ahead where the output parted from it; true when there was none, or
    // the file holds what it matched.
    bool settle();

    FileReplacement& file_;
    std::vector<VideoFileSource*> sources_;
    CopyAhead* ahead_;
    std::size_t failedSource_ = 0;
};

} // namespace kovra
