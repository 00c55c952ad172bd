// What the page says, put into words from what the gallery knows as values: the card at a
// glance, its settings and clock, and each video's state, findings and facts.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "gallery/gallery_page.h"
#include "gallery/gallery_video.h"
#include "platform/platform.h"

namespace kovra::gallery {

// The card: title, the videos at a glance, and the settings and clock read from recordsFolder
// (none when it is empty).
PageCard pageCard(Platform& platform, const std::string& title, const std::string& recordsFolder,
                  const std::vector<GalleryVideo>& videos);

// One video as the page shows it, under name and linked at link (already percent-encoded),
// its times shifted by offsetMillis.
PageVideo pageVideo(const GalleryVideo& video, const std::string& name, const std::string& link,
                    std::int64_t offsetMillis);

} // namespace kovra::gallery
