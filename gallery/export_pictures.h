// The pictures of an export's gallery, made while the export's copies go on: each video the
// export has finished with is read at once, on threads of their own, unless the gallery already
// in DEST shows it as it is, and its pictures written there under temporary names, each sent on
// its way to the storage; the gallery then takes these rather than reading and writing again,
// and has little left to do but flush and name them.
#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>

#include "device/pictures_ahead.h"
#include "gallery/gallery_record.h"
#include "gallery/shown_video.h"

namespace kovra::gallery {

class ExportPictures final : private ReadingTaker {
  public:
    // Reads the record of the gallery in dest, if there is one; writes nothing.
    ExportPictures(Platform& platform, const std::string& dest);
    // Removes the pictures not taken, and the pictures' folder where this made it and it
    // holds nothing: an export that wrote no gallery leaves no trace of one.
    ~ExportPictures();
    ExportPictures(const ExportPictures&) = delete;
    ExportPictures& operator=(const ExportPictures&) = delete;

    // path (the file the gallery shows, see galleryFileOf()) is there as it stays: read it,
    // unless the earlier gallery shows it as it is, or too many readings are held already.
    void finished(const std::string& path);
    // A copy written whole and waiting at temporary for the storage, to be named target with
    // becomes' size and time: read from there at once, rather than once it is named, which
    // waits for the storage and for the copies flushed with it.
    void written(const std::string& target, const std::string& temporary, const FileInfo& becomes);
    // Waits for the videos being read and drops the rest (the gallery reads those itself); for
    // an export interrupted too, which writes no gallery.
    void stop() { ahead_.stop(); }
    // The gallery's record as it was when this began, before anything was written for it.
    const GalleryRecord& earlier() const { return earlier_; }
    // Whether finished() found the earlier gallery showing path as it was, the file then of
    // now's size and time: the gallery need not look at its pictures a second time.
    bool foundShown(const std::string& path, const FileInfo& now) const;
    // The readings whose pictures could not be written ahead (their folder not made).
    PicturesAhead& readings() { return ahead_; }
    // After stop(): the video at path as shown ahead, handed over once, its pictures moved into
    // batch, where the file is still of now's size and time; none otherwise (its pictures
    // removed with this).
    std::optional<ShownVideo> take(const std::string& path, const FileInfo& now,
                                   PictureBatch& batch);

  private:
    bool took(const std::string& path, const FileInfo& info, VideoPictures& pictures) override;
    bool holdsFiles() const override;
    void interrupted() override;
    void removeFolderIfNew(); // under mutex_

    Platform& platform_;
    std::string folder_;
    GalleryRecord earlier_;
    std::set<std::string> offered_;              // read from its copy before it was named
    std::map<std::string, FileInfo> foundShown_; // by finished(), with the file's size and time
    // What the reading threads made.
    mutable std::mutex mutex_;
    struct Shown {
        FileInfo info;
        ShownVideo shown;
        std::unique_ptr<PictureBatch> pictures;
    };
    std::map<std::string, Shown> shown_; // under mutex_
    bool madeFolder_ = false;            // under mutex_
    bool folderWasNew_ = false;          // under mutex_: nothing held its name before
    PicturesAhead ahead_;                // last: its thread stops before the rest goes
};

} // namespace kovra::gallery
