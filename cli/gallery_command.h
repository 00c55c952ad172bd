// What the gallery hands back, put into words for the terminal: by `gallery`, and by `export`
// and `watch` for the gallery at an export's end.
#pragma once

#include <string>

#include "cli/failure.h"
#include "gallery/gallery_build.h"

namespace kovra::cli {

// "PATH: cannot be written: …", "PATH: a link; …": the file and the system's reason.
std::string galleryFailureText(const gallery::GalleryFailure& failure);
std::string galleryProblemText(const gallery::GalleryProblem& problem);

// The failure as kovra-cli ends with it: a refusal, which wrote nothing, is a usage error.
Failure galleryFailure(const gallery::GalleryFailure& failure);

} // namespace kovra::cli
