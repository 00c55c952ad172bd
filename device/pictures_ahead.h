// The gallery's pictures of videos read while the caller does something else: an export's
// copies mostly wait on the storage, and the pictures of the videos already copied are made
// meanwhile on threads of their own (two: one reading takes about as long as a copy waits).
// Nothing is written here: the readings are held until taken (or given to a ReadingTaker), and
// what was not read by then is left for the caller to read itself.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "device/video_pictures.h"

namespace kovra {

// Given each reading on the reading thread as soon as it is made, to make what it wants of it
// there (the gallery writes its pictures' files) rather than once the caller is done. Called
// from every reading thread at once: it keeps its own lock.
class ReadingTaker {
  public:
    virtual ~ReadingTaker() = default;
    // The reading of path, a file of info's size and time. False: not taken, held for take().
    virtual bool took(const std::string& path, const FileInfo& info, VideoPictures& pictures) = 0;
    // Whether it holds files that an interrupt must remove: while it does, the thread looks
    // for an interrupt and calls interrupted(), wherever the caller waits meanwhile.
    virtual bool holdsFiles() const = 0;
    virtual void interrupted() = 0;
};

class PicturesAhead {
  public:
    // taker, when given, is given each reading first; it must outlive this.
    explicit PicturesAhead(Platform& platform, const PictureSizes& sizes = {},
                           ReadingTaker* taker = nullptr);
    // Stops as stop() does.
    ~PicturesAhead();
    PicturesAhead(const PicturesAhead&) = delete;
    PicturesAhead& operator=(const PicturesAhead&) = delete;

    // Queues path to be read. False when it is not taken: no thread could be had, it was
    // stopped, or as many readings are waiting or held as it keeps at once.
    bool offer(const std::string& path);
    // offer() of a file not yet at path: its bytes, whole and final, read from readFrom (a
    // copy written and waiting to be named there), and what path is to hold once named. The
    // reading stands for path only while path is then that, and only where it read without
    // an error: one that failed (the copy removed) is left for the caller to read.
    bool offer(const std::string& path, const std::string& readFrom, const FileInfo& becomes);
    // Waits until every video offered is read: for a caller with nothing else to do.
    void readAll();
    // Lets the videos being read finish, drops those not begun, and waits for the threads.
    void stop();
    // After stop(): the reading of path, handed over once, where the file is still as it was
    // when its reading began (now: the caller's look at it); none where path was not read, or
    // could not even be looked at (the caller's own look says why), or has changed since.
    std::optional<VideoPictures> take(const std::string& path, const FileInfo& now);

  private:
    void start(); // under mutex_
    void run();
    // With the lock held: waits for a video to read, an interrupt removing what taker_ holds.
    void waitForWork(std::unique_lock<std::mutex>& lock);

    Platform& platform_;
    PictureSizes sizes_;
    ReadingTaker* taker_;
    std::mutex mutex_;
    std::condition_variable wake_, idle_;
    struct Waiting {
        std::string path, readFrom;
        FileInfo becomes; // what path holds once a copy read from readFrom is named there
        bool standIn() const { return readFrom != path; }
    };
    std::deque<Waiting> waiting_; // under mutex_
    // A reading with the file's size and time when it began: it stands for the file only
    // while the file is still that.
    struct Read {
        FileInfo info;
        VideoPictures pictures;
    };

    std::map<std::string, Read> read_; // under mutex_
    std::size_t heldBytes_ = 0;        // the pictures' bytes in read_, under mutex_
    bool stopping_ = false;            // under mutex_
    std::size_t reading_ = 0;          // threads reading a video, under mutex_
    bool triedToStart_ = false;        // under mutex_
    bool started_ = false;             // under mutex_
    // Made by the first offer(), joined by stop(): both called by the one thread that owns this.
    std::vector<std::thread> threads_;
};

} // namespace kovra
