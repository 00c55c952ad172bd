// What the server shows of the card, read once at start: its videos in the order `videos`
// lists them (a video's id is its place in this list), and the card at a glance.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "platform/platform.h"
#include "server/router.h"
#include "server/video_listing.h"

namespace kovra::server {

struct CardView {
    std::string root;
    std::vector<ListedVideo> videos;
    nlohmann::json card; // GET /api/card
};

// The videos below root (their times moved by offsetMillis) and its two records.
CardView readCardView(Platform& platform, const std::string& root, std::int64_t offsetMillis);

// {"videos": [...]}: each listed object with its "id".
nlohmann::json videosDocument(const CardView& view);

// The listing, the card and each id's path, made once for the routes.
RouterContent routerContent(const CardView& view);

} // namespace kovra::server
