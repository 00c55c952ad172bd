// What inspect() finds in a recorder video: its format, how much of it is there, what is wrong.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "avi/byte_source.h"

namespace kovra::avi {

enum class Signature { Mars, Riff, Other };
enum class VideoState { Ok, Repairable, Unreadable };

struct AudioInfo {
    std::uint16_t formatTag;
    std::uint16_t channels;
    std::uint32_t samplesPerSecond;
    std::uint16_t bitsPerSample;
};

struct VideoReport {
    Signature signature = Signature::Other;
    std::string codec; // the video stream's fourcc, e.g. "MJPG" (printable, trimmed), or empty
    std::uint32_t width = 0, height = 0;
    double fps = 0;             // video strh rate/scale, else 1e6/avih microseconds per frame
    std::uint64_t frames = 0;   // complete video frames actually present in the data
    double durationSeconds = 0; // frames / fps (0 when fps is 0)
    std::optional<AudioInfo> audio;
    std::vector<std::string> problems; // short texts, e.g. "no index", "last chunk cut off"
    // Ok: sound (repair would be a plain copy with RIFF); Unreadable: no readable hdrl, no
    // complete frame, or a repaired file that would not fit in 4 GiB.
    VideoState state = VideoState::Unreadable;
    std::uint64_t repairedSize = 0; // the exact size repair() would write (0 when Unreadable)
};

const char* signatureName(Signature); // "MARS", "RIFF", "other"
const char* stateName(VideoState);    // "ok", "repairable", "unreadable"

// Reads the headers and the index where there is one; walks the movi data only where the
// index is missing or disagrees with the data.
VideoReport inspect(ByteSource& source);

} // namespace kovra::avi
