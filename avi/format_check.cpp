#include "avi/format_check.h"

namespace kovra::avi {

namespace {

// What ffmpeg 5.1 does with a clip of the recorder's kind whose headers were damaged, one
// field at a time (ffprobe -show_streams, ffmpeg -f null):
// - video strf missing, or too short to hold the compression code (under 20 bytes): no codec,
//   the stream cannot be decoded. From 20 bytes on it plays.
// - sound strf missing or empty: no codec; 1 to 13 bytes: the whole file is refused; 14 or
//   15: read as 8-bit samples. A whole WAVEFORMATEX is 16.
// - nSamplesPerSec 0: the whole file is refused ("Invalid sample rate: 0").
// - the sound's strh rate or scale 0: opened, but timed by avih's frame period instead, the
//   second packet of sound at 68 s rather than 0.128.
// - no channels, format tag 0, or PCM of 0 bits a sample: no decoder for the stream.
// - block align 0 (PCM, IMA ADPCM), the video's strh rate or scale 0 (avih's frame period
//   taken), a BITMAPINFOHEADER size, width or height of 0: played as before.
constexpr std::uint16_t kUnknownFormat = 0;
constexpr std::uint16_t kPcmFormat = 1;

bool videoFormatDamaged(const StreamHeader& stream) {
    return !stream.hasFormat || stream.formatSize < kBmiMinSize;
}

bool soundFormatDamaged(const StreamHeader& stream) {
    const AudioInfo& audio = stream.audio;
    return !stream.hasWaveFormat || audio.channels == 0 || audio.formatTag == kUnknownFormat ||
           (audio.formatTag == kPcmFormat && audio.bitsPerSample == 0);
}

bool soundWithoutRate(const StreamHeader& stream) {
    return stream.audio.samplesPerSecond == 0 || stream.rate == 0 || stream.scale == 0;
}

} // namespace

std::optional<Finding> unreadableFormat(const AviHeader& header) {
    for (std::size_t i = 0; i < header.streams.size(); ++i) {
        const StreamHeader& stream = header.streams[i];
        auto named = [&](FindingKind kind) {
            Finding finding{kind};
            finding.stream = static_cast<std::uint32_t>(i);
            return finding;
        };
        if (stream.type == kVids && videoFormatDamaged(stream))
            return named(FindingKind::DamagedFormat);
        if (stream.type == kAuds && soundFormatDamaged(stream))
            return named(FindingKind::DamagedFormat);
        if (stream.type == kAuds && soundWithoutRate(stream))
            return named(FindingKind::SoundWithoutRate);
    }
    return std::nullopt;
}

} // namespace kovra::avi
