#include "avi/format_match.h"

#include "avi/exact_time.h"

namespace kovra::avi {

namespace {

bool sameStreams(const AviHeader& a, const AviHeader& b) {
    if (a.streams.size() != b.streams.size() || a.videoStream != b.videoStream)
        return false;
    for (std::size_t i = 0; i < a.streams.size(); ++i)
        if (a.streams[i].type != b.streams[i].type)
            return false;
    return true;
}

bool sameSound(const StreamHeader& a, const StreamHeader& b) {
    return a.hasWaveFormat == b.hasWaveFormat && a.audio.formatTag == b.audio.formatTag &&
           a.audio.channels == b.audio.channels &&
           a.audio.samplesPerSecond == b.audio.samplesPerSecond &&
           a.audio.bitsPerSample == b.audio.bitsPerSample && a.blockAlign == b.blockAlign &&
           a.sampleSize == b.sampleSize && sameRate(streamClock(a), streamClock(b));
}

} // namespace

FormatDifference formatDifference(const VideoReading& a, const VideoReading& b) {
    const AviHeader& ha = a.header;
    const AviHeader& hb = b.header;
    if (!sameStreams(ha, hb))
        return FormatDifference::Streams;
    if (a.report.codec != b.report.codec)
        return FormatDifference::Codec;
    if (a.report.width != b.report.width || a.report.height != b.report.height)
        return FormatDifference::FrameSize;
    if (!sameRate(videoClock(ha), videoClock(hb)))
        return FormatDifference::FrameRate;
    for (std::size_t i = 0; i < ha.streams.size(); ++i)
        if (ha.streams[i].type == kAuds && !sameSound(ha.streams[i], hb.streams[i]))
            return FormatDifference::Sound;
    return FormatDifference::None;
}

} // namespace kovra::avi
