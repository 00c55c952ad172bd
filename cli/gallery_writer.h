// Writes a gallery into a folder: its page, and its pictures, read from each video once and
// kept while the video stays as it was. What `gallery` and the end of `export` share.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "device/pictures_ahead.h"
#include "platform/platform.h"

namespace kovra::cli {

struct GalleryInput {
    std::string path;   // the file read
    std::string name;   // as the page names it (relative to the folder searched)
    std::string linked; // the file the page links to
};

struct GalleryRequest {
    std::string dest;
    std::string title;
    std::vector<GalleryInput> videos;
    std::string recordsFolder; // where CONFIG.SYS and TIME.txt are looked for
    std::int64_t clockOffsetMillis = 0;
    bool force = false; // replace an index.html that Kovra did not write
    // Stopped; its readings are taken for the videos it read, while each is as it was then.
    PicturesAhead* ahead = nullptr;
};

struct GalleryOutcome {
    std::size_t videos = 0, read = 0, reused = 0, unreadable = 0;
    std::size_t failedReads = 0; // files that could not be read at all (each said on stderr)
    std::size_t picturesWritten = 0, picturesRemoved = 0;
    std::uint64_t bytesRead = 0;
    std::string page;
};

// Refuses (a Failure, exit 2, nothing written) a DEST whose kovra-gallery is a link, which
// would have the gallery write and remove in a folder not its own, and one whose index.html
// Kovra did not write, unless force.
void checkGalleryDest(Platform& platform, const std::string& dest, bool force);

// Checks dest as checkGalleryDest() does, then writes. Throws a Failure when the page or its
// folder cannot be written.
GalleryOutcome writeGallery(Platform& platform, const GalleryRequest& request);

} // namespace kovra::cli
