// The pictures of an export's gallery, made while the export's copies go on: each video the
// export has finished with is read at once, on a thread of its own, unless the gallery already
// in DEST shows it as it is; the gallery then takes these readings instead of reading again.
#pragma once

#include <set>
#include <string>

#include "device/pictures_ahead.h"
#include "gallery/gallery_record.h"

namespace kovra::gallery {

class ExportPictures {
  public:
    // Reads the record of the gallery in dest, if there is one; writes nothing.
    ExportPictures(Platform& platform, const std::string& dest);

    // path (the file the gallery shows, see galleryFileOf()) is there as it stays: read it,
    // unless the earlier gallery shows it as it is, or too many readings are held already.
    void finished(const std::string& path);
    // A copy written whole and waiting at temporary for the storage, to be named target with
    // becomes' size and time: read from there at once, rather than once it is named, which
    // waits for the storage and for the copies flushed with it.
    void written(const std::string& target, const std::string& temporary, const FileInfo& becomes);
    // Waits for the video being read and drops the rest (the gallery reads those itself); for
    // an export interrupted too, which writes no gallery.
    void stop() { ahead_.stop(); }
    PicturesAhead& readings() { return ahead_; }

  private:
    Platform& platform_;
    std::string folder_;
    GalleryRecord earlier_;
    std::set<std::string> offered_; // read from its copy before it was named
    PicturesAhead ahead_;
};

} // namespace kovra::gallery
