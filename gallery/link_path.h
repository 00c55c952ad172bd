// Links from the gallery's page to its pictures and videos: relative where the two share a
// root, percent-encoded, so that any name the card holds is a link and nothing else.
#pragma once

#include <string>

namespace kovra::gallery {

// Every byte but letters, digits, "-._~" and '/' as %XX.
std::string percentEncoded(const std::string& path);

// The link from a page in folder to file, both absolute: "../card/DCIM/MOV%200001.avi", or a
// "file:///E:/..." address where no relative path leads (another Windows drive). '\' counts
// as a separator only where the paths are Windows' ("E:\...").
std::string linkTo(const std::string& folder, const std::string& file);

} // namespace kovra::gallery
