// The gallery that export writes into its destination once its videos are there.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "cli/gallery_writer.h"
#include "device/video_export.h"

namespace kovra::cli {

// The gallery of an export's files, each linked where it now is; a video that failed is shown
// from its source. Settings and clock from the source; force replaces an index.html that Kovra
// did not write. The readings ahead has made during the export are taken rather than read
// again.
GalleryOutcome writeExportGallery(Platform& platform, const std::string& source,
                                  const std::string& dest, const std::vector<ExportItem>& items,
                                  std::int64_t clockOffsetMillis, bool force, PicturesAhead* ahead);

} // namespace kovra::cli
