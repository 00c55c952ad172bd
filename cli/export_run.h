// One export of a folder's videos into another, as `export` and `watch` both run it: the
// destination prepared, the videos planned and written one by one with progress shown, the
// record saved and the totals counted.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "device/video_export.h"
#include "gallery/gallery_build.h"
#include "platform/platform.h"

namespace kovra::cli {

struct ExportOutcome {
    std::vector<ExportItem> items;
    std::vector<PassedOverEntry> passedOver;
    std::size_t exported = 0; // repaired ones included
    std::size_t repaired = 0;
    std::size_t skipped = 0;
    std::size_t failed = 0;
    bool interrupted = false; // stopped before every video was looked at
    // The gallery at the end, where one was to be written; what went wrong said on stderr.
    std::optional<gallery::GalleryOutcome> gallery;

    // The gallery's page, where it was written.
    std::string galleryPage() const {
        return gallery && gallery->written() ? gallery->page : std::string();
    }
    // Something of the gallery not written: its page, a picture, its record.
    bool galleryFailed() const { return gallery && !gallery->whole(); }
};

// The gallery an export writes into its destination once its videos are there.
struct ExportGallery {
    bool write = true;
    std::int64_t clockOffsetMillis = 0; // what --clock-offset says
    bool force = false;                 // --force: replace an index.html Kovra did not write
};

// Called for each video once it is on the storage under its name.
using WrittenVideo = std::function<void(const ExportItem& item)>;

// Runs the export, then writes its gallery unless it was a dry run, interrupted, or the
// gallery is not wanted; a refusal (the gallery's too) is a Failure and writes nothing. Every
// failure is said on stderr as it happens, naming its file. An interrupt stops it after the video
// being written, whose temporary file is gone by then.
ExportOutcome runExport(Platform& platform, const std::string& source, const std::string& dest,
                        bool dryRun, const ExportGallery& gallery, const WrittenVideo& written);

// Why a DEST whose lock another export or gallery holds is refused.
std::string destInUseText();

// "SOURCE: cannot be read: …", "TARGET: cannot be written: …", or why a video cannot be
// played and where its bytes are kept.
std::string failureText(const ExportItem& item);

} // namespace kovra::cli
