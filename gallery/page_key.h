// What the page was drawn from and what it holds, each as a digest kept in the gallery's record:
// a rerun whose page would be drawn from the same and finds index.html still holding what was
// written need not draw it again, which costs more than all else an export that finds nothing
// new does.
#pragma once

#include <string>
#include <vector>

#include "gallery/gallery_page.h"

namespace kovra::gallery {

struct PageKey {
    std::string inputs; // pageInputsDigest() of what it was drawn from
    std::string page;   // pageDigest() of the bytes written
    bool operator==(const PageKey& other) const {
        return inputs == other.inputs && page == other.page;
    }
};

// Everything renderPage() is given, and the template and version it draws them with.
std::string pageInputsDigest(const PageCard& card, const std::vector<PageVideo>& videos);
// The page's bytes.
std::string pageDigest(const std::string& page);

} // namespace kovra::gallery
