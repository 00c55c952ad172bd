// What the player answers: each of its routes' values, and why one holds nothing, with the
// file that failed and the system's own reason, for the server to put into a status and words.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "clips/clock_time.h"
#include "pictures/thumbnail.h"
#include "platform/platform.h"

namespace kovra::player {

enum class Refusal {
    None,
    NotFound,   // no such frame, a span past the video's end, no recording holds the range
    BadRequest, // a span or range that is none: reversed, absurd, not a time (text says which)
    Unreadable, // path could not be read: error is the system's reason
    Unusable,   // path holds no video the player can use, or a frame that is no picture
    NoSound,    // the video has no sound the player can hand on as WAV (PCM)
    TooLarge,   // the answer would be larger than the player holds at once
    Unwritable, // path, in the save folder, could not be written: error says why
};

struct Failure {
    Refusal refusal = Refusal::None;
    std::string path;              // the file that failed, where one did
    OsError error = OsError::None; // Unreadable, Unwritable
    std::string text;              // what went wrong, in the words the terminal would use
};

// GET /api/videos/ID/frames/N: the recorder's JPEG, tables put in where it had none.
struct FrameAnswer {
    Failure failure;
    std::vector<std::uint8_t> jpeg;
    double seconds = 0; // when the frame starts, from the video's first frame
    // When it starts on the recorder's clock moved by the clock offset, as the listing shows
    // the video; none where the video has no time.
    std::optional<clips::ClockMillis> clock;
    std::uint64_t frames = 0; // the video's frames
};

// GET /api/videos/ID/sound?from=S&to=S: a 44-byte-header WAVE of the video's own PCM.
struct SoundAnswer {
    Failure failure;
    std::vector<std::uint8_t> wav;
    std::uint64_t samples = 0; // sample frames (block align each) in the WAV
    // The span the samples cover, from the video's first frame: that of the frames starting in
    // the span asked for, as a clip of it cuts its sound.
    double fromSeconds = 0, toSeconds = 0;
};

// One picture of the gallery's strip of a video: the frame it was made from and when that frame
// starts (as a FrameAnswer says), and the picture, or why that frame gave none.
struct StripPicture {
    std::uint64_t frame = 0;
    double seconds = 0;
    std::optional<clips::ClockMillis> clock;
    std::optional<Picture> picture;
    pictures::NoPicture refused = pictures::NoPicture::None; // why there is no picture
};

// GET /api/videos/ID/pictures: the strip, in the video's order (fewer for a short video).
struct PicturesAnswer {
    Failure failure;
    std::vector<StripPicture> pictures;
};

// GET /api/videos/ID/pictures/K: picture K of the strip; a frame that gave none is a failure.
struct PictureAnswer {
    Failure failure;
    StripPicture shown;
};

// POST /api/clips and POST /api/frames: the file written into the save folder, and the JSON
// to answer with (`clip --json`'s document for a clip; {"path"} for a frame).
struct SavedAnswer {
    Failure failure;
    std::string path;
    nlohmann::json document;
};

} // namespace kovra::player
