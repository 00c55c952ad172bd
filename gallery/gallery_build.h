// Builds a gallery in a folder: its page, and its pictures, read from each video once and kept
// while the video stays as it was. What `gallery`, the end of `export` and the watcher share.
// Nothing is said or thrown from here: what failed comes back as values, naming the file and
// keeping the system's reason, for the caller to put into words.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "device/pictures_ahead.h"
#include "device/video_export.h"
#include "gallery/shown_video.h"
#include "platform/platform.h"

namespace kovra::gallery {

class ExportPictures;

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
    // The videos an export showed while it copied, their pictures written ahead (after ahead
    // is stopped), taken as ahead's readings are.
    ExportPictures* shownAhead = nullptr;
};

// Why no gallery was written, or none whole.
enum class GalleryFailureKind {
    None,
    LinkedPictureFolder, // path, the picture folder, is a link: nothing was written
    ForeignPage,         // path, the page, is not one Kovra wrote, and not forced: nothing written
    Unwritable,          // path (a folder, a picture or the page) could not be written (error)
};

struct GalleryFailure {
    GalleryFailureKind kind = GalleryFailureKind::None;
    std::string path;
    OsError error = OsError::None;
};

struct GalleryOutcome {
    GalleryFailure failure;               // kind None: the page was written
    std::vector<GalleryProblem> problems; // in the order met
    std::size_t videos = 0, read = 0, reused = 0, unreadable = 0;
    std::size_t picturesWritten = 0, picturesRemoved = 0;
    std::uint64_t bytesRead = 0;
    std::string page;

    bool written() const { return failure.kind == GalleryFailureKind::None; }
    // Written, and nothing went wrong on the way.
    bool whole() const { return written() && problems.empty(); }
};

// Refuses (nothing written) a DEST whose kovra-gallery is a link, which would have the gallery
// write and remove in a folder not its own, and one whose index.html Kovra did not write,
// unless force. Kind None: it may be written.
GalleryFailure checkGalleryDest(Platform& platform, const std::string& dest, bool force);

// Checks dest as checkGalleryDest() does, then writes the gallery.
GalleryOutcome buildGallery(Platform& platform, const GalleryRequest& request);

// The request for the gallery of an export's files, each linked where it now is; a video that
// failed is shown from its source. Settings and clock from the source; what was read and
// shown ahead during the export (pictures, stopped) is taken rather than read again.
GalleryRequest exportGalleryRequest(const std::string& source, const std::string& dest,
                                    const std::vector<ExportItem>& items,
                                    std::int64_t clockOffsetMillis, bool force,
                                    ExportPictures* pictures);

} // namespace kovra::gallery
