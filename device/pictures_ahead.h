// The gallery's pictures of videos read while the caller does something else: an export's
// copies mostly wait on the storage, and the pictures of the videos already copied are made
// meanwhile on a thread of their own. Nothing is written: the readings are held until taken,
// and what was not read by then is left for the caller to read itself.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "device/video_pictures.h"

namespace kovra {

// One video's reading, with the file as it was when it began: it stands for the file only
// while the file is still that size and time.
struct PicturesRead {
    FileInfo info;
    VideoPictures pictures;
};

class PicturesAhead {
  public:
    explicit PicturesAhead(Platform& platform, const PictureSizes& sizes = {});
    // Stops as stop() does.
    ~PicturesAhead();
    PicturesAhead(const PicturesAhead&) = delete;
    PicturesAhead& operator=(const PicturesAhead&) = delete;

    // Queues path to be read. False when it is not taken: no thread could be had, it was
    // stopped, or as many readings are waiting or held as it keeps at once.
    bool offer(const std::string& path);
    // Lets the video being read finish, drops those not begun, and waits for the thread.
    void stop();
    // After stop(): the reading of path, handed over once; none where path was not read, or
    // could not even be looked at (the caller's own look says why).
    std::optional<PicturesRead> take(const std::string& path);

  private:
    void run();

    Platform& platform_;
    PictureSizes sizes_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<std::string> waiting_;          // under mutex_
    std::map<std::string, PicturesRead> read_; // under mutex_
    std::size_t heldBytes_ = 0;                // the pictures' bytes in read_, under mutex_
    bool stopping_ = false;                    // under mutex_
    bool started_ = false;
    std::thread thread_;
};

} // namespace kovra
