// The gallery's record of the videos it has shown, kept beside its pictures: a rerun takes a
// video whose size and time have not changed, and its pictures, from here without reading it.
// Written whole or not at all; one that is missing or damaged only costs reading each video.
#pragma once

#include <map>
#include <optional>
#include <set>
#include <string>

#include "gallery/gallery_video.h"
#include "gallery/page_key.h"
#include "platform/platform.h"

namespace kovra::gallery {

class GalleryRecord {
  public:
    static constexpr const char* kFileName = ".kovra-gallery";

    // Reads the record in the picture folder; anything but a whole, well-formed one reads as
    // empty, and so does a link, which is no record of ours.
    void load(Platform& platform, const std::string& pictureFolder);
    OsError save(Platform& platform, const std::string& pictureFolder) const;

    // The entry for a video read from path, or null.
    const GalleryVideo* find(const std::string& path) const;
    void note(const GalleryVideo& video) { videos_[video.path] = video; }
    // The page written beside this record; none where it is not known, which has it drawn again.
    const std::optional<PageKey>& page() const { return page_; }
    void notePage(const PageKey& key) { page_ = key; }
    // Every picture the record names: what the gallery wrote, and all it may remove.
    std::set<std::string> pictureNames() const;

    std::string text() const;
    bool parse(const std::string& text);
    // What the record file held when loaded, where it was whole: a record whose text() is
    // the same need not be saved again.
    const std::string& loadedText() const { return loaded_; }

  private:
    std::map<std::string, GalleryVideo> videos_;
    std::optional<PageKey> page_;
    std::string loaded_;
};

// Whether an earlier gallery's reading of a video (known, from its record) still shows the file
// as it is now (info): the same size and time, read without an error, and each of its pictures
// still in the picture folder as it was written. Such a video is not read again.
bool stillShown(Platform& platform, const std::string& pictureFolder, const GalleryVideo* known,
                const FileInfo& info);

} // namespace kovra::gallery
