// The gallery's pictures as files in its picture folder: each written whole or not at all, named
// after its video's path, size and time so that a changed video never shows an old picture, and
// those of videos no longer shown removed.
#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace kovra::gallery {

// "MOV0001-3f2a…-cover.jpg", "MOV0001-3f2a…-4.jpg": the video's name (letters and digits
// only) and a hash of its path, size and time, then which picture.
std::string pictureName(const std::string& videoPath, std::uint64_t size, std::int64_t modified,
                        const std::string& which, const std::string& extension);

// The pictures of one gallery run, each written whole or not at all. Forcing some thousands of
// small files to the storage one by one would cost most of the gallery's time, so each is
// written under a temporary name first, then all are flushed at once (the volume's flush, or
// where the system refuses it each file's), and only then do they take their names. While it
// holds a temporary file an interrupt only marks the program interrupted, so that the files
// are removed before it ends.
class PictureBatch {
  public:
    // Each file sent on its way to the storage as soon as it is written: for pictures written
    // long before the batch is committed (an export's, while its copies go on), whose flush at
    // the end then finds them written.
    enum class Writeback { AtCommit, AtOnce };
    PictureBatch(Platform& platform, std::string folder, Writeback writeback = Writeback::AtCommit);
    ~PictureBatch(); // removes what was added and not committed
    PictureBatch(const PictureBatch&) = delete;
    PictureBatch& operator=(const PictureBatch&) = delete;

    // Writes bytes under a temporary name beside folder/name.
    OsError add(const std::string& name, const std::vector<std::uint8_t>& bytes);
    // Takes over the files other holds (of the same folder), to be committed with these.
    void takeFrom(PictureBatch& other);
    // Removes every file held, never to be named: for an interrupt.
    void discard();
    bool empty() const { return staged_.empty(); }
    // Every picture added to the storage, then under its name, then the folder flushed. On a
    // failure, failedName is the file it concerns; what was not moved is removed. Interrupted,
    // nothing is named.
    OsError commit(std::string& failedName);

  private:
    struct Staged {
        std::string temporary, target;
    };
    // Interrupts held back from the first file held until the last is named or removed.
    void holding();
    void released();

    Platform& platform_;
    std::string folder_;
    Writeback writeback_;
    std::vector<Staged> staged_;
    bool deferring_ = false;
};

// Whether a name is one pictureName() gives: nothing else in the folder is Kovra's to remove,
// and a name from the record that is not one ("../x", "README.txt") is never joined to a path.
bool isPictureName(const std::string& name);

// Removes the pictures of an earlier gallery (ours: the names its record holds) that keep no
// longer names: only names of pictureName()'s form, and only regular files, never a link or
// what it reaches. Returns how many went.
std::size_t removePicturesBut(Platform& platform, const std::string& folder,
                              const std::set<std::string>& ours, const std::set<std::string>& keep);

} // namespace kovra::gallery
