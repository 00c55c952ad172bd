// The flushes of written files on a thread of their own, one after another in the order they
// were handed over, while the caller writes the next files: a copy's wait on the storage then
// costs no time of the copies after it. Every file waiting is started on its way to the storage
// before the oldest is flushed, so that the files the caller wrote meanwhile are written
// together, in one go of the storage rather than one go each. Each file comes back flushed, for its
// caller to name it and say so in order. A file that waits here to be named is removed when the
// user interrupts the program, so that an interrupt ends it at once wherever the caller is (writing
// a line to a full pipe, say) and leaves no temporary file.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>

#include "device/file_replacement.h"
#include "platform/platform.h"

namespace kovra {

class FlushBehind {
  public:
    explicit FlushBehind(Platform& platform);
    // Removes every file not taken back, and waits for the thread.
    ~FlushBehind();
    FlushBehind(const FlushBehind&) = delete;
    FlushBehind& operator=(const FlushBehind&) = delete;

    // A written file, its time kept, to flush. Flushed here at once where no thread can be had.
    void hand(std::unique_ptr<FileReplacement> file);
    std::size_t held() const;
    // The oldest file handed over, once its flush has ended: name() says how it went (a failed
    // or interrupted one already removed). Null when none is held.
    std::unique_ptr<FileReplacement> takeOldest();
    // takeOldest() without the wait: null while the oldest is still being flushed.
    std::unique_ptr<FileReplacement> takeFlushed();

  private:
    struct Held {
        std::unique_ptr<FileReplacement> file;
        bool flushed = false;
        bool started = false; // on its way to the storage
    };
    void run();
    // With the lock held: removes every file held once an interrupt came.
    void abandonOnInterrupt();

    Platform& platform_;
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Held> held_;
    bool stopping_ = false;
    std::thread thread_;
};

} // namespace kovra
