// An output begun on a guess while its sources are still being read. A repair's output mostly
// begins with the source's own bytes in place: the header and the chunks up to the first gap
// (all of them, in a recording a power cut only ended). A clip's begins with what its first
// recording gives, known once that one is read and before the next is. A thread of its own
// copies the guess into the output, by the system; the written plan then follows it piece by
// piece and keeps what matches, and the copy is stopped, and cut back, where they part: the
// reading and the copy cost the time of the longer one, not of both, and a wrong guess costs
// only time.
#pragma once

#include <atomic>
#include <cstdint>
#include <thread>
#include <vector>

#include "avi/output_sink.h"
#include "device/file_replacement.h"
#include "device/video_files.h"

namespace kovra {

class CopyAhead {
  public:
    // The pieces, in order, from the file's first byte, of the sources as they number them.
    // Starts where a thread can be had; without one nothing is guessed, and the output is
    // written after the reading.
    CopyAhead(std::vector<avi::OutputPiece> guess, std::vector<VideoFileSource*> sources,
              FileReplacement& file);
    // The source whole, from its first byte.
    CopyAhead(VideoFileSource& source, FileReplacement& file);
    // Stops the copy and waits for it.
    ~CopyAhead();
    CopyAhead(const CopyAhead&) = delete;
    CopyAhead& operator=(const CopyAhead&) = delete;

    bool running() const { return started_ && !stopped_; }
    // How many of the output's next n bytes are the guess's next ones: bytes of source from
    // offset, or data where source is null. Moves past them.
    std::uint64_t follow(const VideoFileSource* source, std::uint64_t offset, const void* data,
                         std::uint64_t n);
    // Stops where follow() got to and waits: true when the file then holds exactly the bytes
    // followed and its next write goes after them. False when the copy failed (the file's
    // writeError() says how).
    bool finish();

  private:
    void run();
    void stop(std::uint64_t end);
    // Copies the part of piece i from its byte `from` up to its byte `to`.
    bool copyPiece(std::size_t i, std::uint64_t from, std::uint64_t to);

    std::vector<avi::OutputPiece> guess_;
    std::vector<VideoFileSource*> sources_;
    FileReplacement& file_;
    std::atomic<std::uint64_t> limit_;
    std::uint64_t copied_ = 0; // the thread's until it is joined
    bool failed_ = false;      // the thread's
    bool started_ = false, stopped_ = false;
    // Where follow() is: in piece next_, its byte within_; followed_ bytes in all.
    std::size_t next_ = 0;
    std::uint64_t within_ = 0, followed_ = 0;
    std::thread thread_;
};

} // namespace kovra
