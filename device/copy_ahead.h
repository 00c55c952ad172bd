// A repair's output mostly begins with the source's own bytes in place: the header and the
// chunks up to the first gap (all of them, in a recording a power cut only ended). While the
// source is read, a thread of its own copies it from the first byte into the output, by the
// system, and is stopped where the written plan says the bytes in place end: the walk and the
// copy then cost the time of the longer one, not of both.
#pragma once

#include <atomic>
#include <cstdint>
#include <thread>

#include "device/file_replacement.h"
#include "device/video_files.h"

namespace kovra {

class CopyAhead {
  public:
    // Starts where a thread can be had; without one the output is copied after the reading.
    CopyAhead(VideoFileSource& source, FileReplacement& file);
    // Stops the copy and waits for it.
    ~CopyAhead();
    CopyAhead(const CopyAhead&) = delete;
    CopyAhead& operator=(const CopyAhead&) = delete;

    bool running() const { return started_ && !stopped_; }
    // Stops at end (no more than the source holds) and waits: true when the file then holds
    // exactly the source's first end bytes and its next write goes after them. False when the
    // copy failed (the file's writeError() says how).
    bool finishAt(std::uint64_t end);

  private:
    void run();
    void stop(std::uint64_t end);

    VideoFileSource& source_;
    FileReplacement& file_;
    std::atomic<std::uint64_t> limit_;
    std::uint64_t copied_ = 0; // the thread's until it is joined
    bool failed_ = false;      // the thread's until it is joined
    bool started_ = false, stopped_ = false;
    std::thread thread_;
};

} // namespace kovra
