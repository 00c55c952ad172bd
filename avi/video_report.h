// What a reading of a recorder video tells in brief: its format, how much of it is there,
// what is wrong with it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "avi/byte_source.h"
#include "avi/finding.h"
#include "avi/recording_date.h"

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
    // When the header's IDIT chunk says the recording began; nothing where there is none, or
    // it holds no date.
    std::optional<RecordingDate> recorded;
    // In the order found. Unreadable: exactly one finding, the reason (isFailure); Repairable:
    // what a repair mends; Ok: none.
    std::vector<Finding> findings;
    // Ok: sound (a repair would be the file's own bytes with RIFF).
    VideoState state = VideoState::Unreadable;
    std::uint64_t repairedSize = 0; // the exact size a repair writes (0 when Unreadable)
};

const char* signatureName(Signature); // "MARS", "RIFF", "other"
const char* stateName(VideoState);    // "ok", "repairable", "unreadable"

// Reads the headers, and the index where there is one, checking it against every chunk header
// it names; walks the movi data only where the index is missing or disagrees with the data.
VideoReport inspect(ByteSource& source);

} // namespace kovra::avi
