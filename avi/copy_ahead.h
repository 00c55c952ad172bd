// A repair's output mostly begins with the source's own bytes in place: the header and the
// chunks up to the first gap. Where the sink can copy from the source itself, a thread of its
// own copies them from the first byte while the reader walks the same file, and is stopped
// where the walk says the bytes in place end.
#pragma once

#include <atomic>
#include <cstdint>
#include <thread>

#include "avi/byte_sink.h"
#include "avi/byte_source.h"

namespace kovra::avi {

class CopyAhead {
  public:
    // Starts only where sink.copiesFrom(source) and a thread can be had.
    CopyAhead(ByteSource& source, ByteSink& sink);
    // Stops the copy and waits for it; what it wrote stays for the caller to discard.
    ~CopyAhead();
    CopyAhead(const CopyAhead&) = delete;
    CopyAhead& operator=(const CopyAhead&) = delete;

    bool started() const { return started_; }
    // Stops at end (no more than the source holds) and waits: true when the sink then holds
    // exactly the source's first end bytes and its next write goes after them.
    bool finishAt(std::uint64_t end);

  private:
    void run();
    void stop(std::uint64_t end);

    ByteSource& source_;
    ByteSink& sink_;
    std::atomic<std::uint64_t> limit_;
    std::uint64_t copied_ = 0; // the thread's until it is joined
    bool failed_ = false;      // the thread's until it is joined
    bool started_ = false;
    std::thread thread_;
};

} // namespace kovra::avi
