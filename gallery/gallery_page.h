// The gallery's page: one self-contained HTML file (no script, no request leaving its folder)
// with the card at a glance, a timeline a day and every video with its pictures. Every text
// from the card is escaped by the template engine; nothing here joins markup with it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "clips/clock_time.h"

namespace kovra::gallery {

// The folder beside the page that holds its pictures and record.
constexpr const char* kPictureFolder = "kovra-gallery";
constexpr const char* kPageName = "index.html";

struct PagePicture {
    std::string link; // from the page, already percent-encoded
    unsigned width = 0, height = 0;
};

struct Fact {
    std::string label, value;
};

// One video as the page shows it, every text already in words.
struct PageVideo {
    std::string name;  // as the owner knows it, valid UTF-8
    std::string link;  // to the video, already percent-encoded
    std::string state; // "ok", "repairable", "unreadable"
    std::vector<std::string> findings;
    std::vector<Fact> facts;                      // start, end, length, frames ...
    std::optional<clips::ClockMillis> start, end; // corrected; none: no readable time
    std::string startText, endText;
    std::optional<PagePicture> cover;
    std::string coverRefused; // in words: why there is no cover; empty: say nothing
    std::vector<std::optional<PagePicture>> strip;
    std::vector<std::string> stripRefused; // as long as strip: why a frame has none, in words
};

struct PageCard {
    std::string title; // the folder shown
    std::vector<Fact> glance;
    std::vector<Fact> settings; // empty: no CONFIG.SYS
    std::string settingsAbsent;
    std::string clock; // what TIME.txt says, or that there is none
};

// How many bytes of a page isGalleryPage() needs: its head, up to the title.
constexpr std::size_t kPageHeadBytes = 1024;

// Whether a page's first bytes are those of a page Kovra wrote: its mark, or the head the
// pages of the version before the mark began with. Only such an index.html is replaced
// without being asked to.
bool isGalleryPage(const std::string& head);

// The page for these videos, shown in time order (those with no time last, as given).
std::string renderPage(const PageCard& card, std::vector<PageVideo> videos);

} // namespace kovra::gallery
