#include "player/sound.h"

#include <cmath>

#include "avi/exact_time.h"
#include "avi/plan.h"
#include "avi/plan_walk.h"
#include "avi/riff.h"
#include "player/checked_chunk.h"
#include "player/failures.h"
#include "player/frames.h"

namespace kovra::player {

namespace {

constexpr std::uint16_t kPcmFormat = 1;
constexpr std::uint32_t kFmtSize = 16;
constexpr std::size_t kRiffSizeAt = 4, kWaveAt = 8, kFmtAt = 12, kFmtSizeAt = 16, kFormatAt = 20,
                      kChannelsAt = 22, kRateAt = 24, kBytesPerSecondAt = 28, kBlockAlignAt = 32,
                      kBitsAt = 34, kDataAt = 36, kDataSizeAt = 40;
constexpr std::uint32_t kRiffSizeBeyondData = kWavHeaderSize - avi::kChunkHeaderSize;
constexpr double kLongestSeconds = static_cast<double>(avi::kLongestRecordingSeconds);

void putFourcc(std::uint8_t* at, const char (&text)[5]) {
    std::copy(text, text + avi::kFourccSize, at);
}

void writeWavHeader(const avi::StreamHeader& sound, std::uint32_t dataSize, std::uint8_t* h) {
    putFourcc(h, "RIFF");
    avi::putLe32(h + kRiffSizeAt, kRiffSizeBeyondData + dataSize);
    putFourcc(h + kWaveAt, "WAVE");
    putFourcc(h + kFmtAt, "fmt ");
    avi::putLe32(h + kFmtSizeAt, kFmtSize);
    avi::putLe16(h + kFormatAt, sound.audio.formatTag);
    avi::putLe16(h + kChannelsAt, sound.audio.channels);
    avi::putLe32(h + kRateAt, sound.audio.samplesPerSecond);
    avi::putLe32(h + kBytesPerSecondAt, sound.audio.samplesPerSecond * sound.blockAlign);
    avi::putLe16(h + kBlockAlignAt, sound.blockAlign);
    avi::putLe16(h + kBitsAt, sound.audio.bitsPerSample);
    putFourcc(h + kDataAt, "data");
    avi::putLe32(h + kDataSizeAt, dataSize);
}

} // namespace

SoundAnswer soundOf(Platform& platform, const CachedVideo& video, double fromSeconds,
                    double toSeconds, bool& moved) {
    SoundAnswer answer;
    if (!std::isfinite(fromSeconds) || !std::isfinite(toSeconds) || toSeconds <= fromSeconds ||
        fromSeconds >= kLongestSeconds) {
        answer.failure = refused(Refusal::BadRequest, "from and to are no span of a recording");
        return answer;
    }
    const avi::VideoReading& reading = video.reading;
    if (reading.report.state == avi::VideoState::Unreadable) {
        answer.failure = unusable(video.path, reading.report);
        return answer;
    }
    int stream = avi::cutSoundStream(reading.header);
    const avi::StreamHeader* sound = stream >= 0 ? &reading.header.streams[stream] : nullptr;
    if (!sound || sound->audio.formatTag != kPcmFormat || sound->blockAlign == 0 ||
        sound->sampleSize == 0) {
        answer.failure = refused(Refusal::NoSound, "the video has no PCM sound");
        return answer;
    }
    double length = frameSeconds(reading, video.frameChunks.size());
    if (fromSeconds >= length) {
        answer.failure = refused(Refusal::NotFound, "the span starts past the video's end");
        return answer;
    }
    avi::SourceSpan span;
    span.fromMs = std::llround(std::max(fromSeconds, 0.0) * clips::kMillisPerSecond);
    span.toMs = std::llround(std::min(toSeconds, kLongestSeconds) * clips::kMillisPerSecond);
    std::vector<const avi::VideoReading*> readings{&reading};
    avi::SpanPlan planned = avi::planSpans(readings, {span});
    std::vector<std::uint8_t>& wav = answer.wav;
    wav.resize(kWavHeaderSize);
    if (planned.refusal == avi::PlanRefusal::NothingInRange) {
        answer.fromSeconds = answer.toSeconds = fromSeconds;
        writeWavHeader(*sound, 0, wav.data());
        return answer;
    }
    if (planned.refusal != avi::PlanRefusal::None || planned.taken.empty()) {
        answer.failure = unusable(video.path, reading.report);
        return answer;
    }
    // Its size first, so that a span too long is refused before a byte is read.
    std::uint64_t dataSize = 0;
    avi::OutputChunk chunk;
    for (avi::PlanWalk walk(planned.plan, readings); walk.next(chunk);)
        if (chunk.stream() == static_cast<unsigned>(stream))
            dataSize += chunk.size;
    if (dataSize > kMostWavBytes - kWavHeaderSize) {
        wav.clear();
        answer.failure = refused(Refusal::TooLarge, "the span's sound is larger than " +
                                                        std::to_string(kMostWavBytes >> 20) +
                                                        " MiB: ask for a shorter one");
        return answer;
    }
    VideoFileSource source(platform, video.path);
    if (source.openError() != OsError::None) {
        wav.clear();
        answer.failure = unreadable(video.path, source.openError());
        return answer;
    }
    wav.reserve(kWavHeaderSize + dataSize);
    for (avi::PlanWalk walk(planned.plan, readings); walk.next(chunk);) {
        if (chunk.stream() != static_cast<unsigned>(stream))
            continue;
        ChunkRead read = readCheckedChunk(source, *chunk.chunk, chunk.offset, chunk.size, wav);
        if (read != ChunkRead::Read) {
            wav.clear();
            moved = read == ChunkRead::Moved;
            answer.failure =
                read == ChunkRead::Unreadable
                    ? unreadable(video.path, source.readError() != OsError::None
                                                 ? source.readError()
                                                 : OsError(OsError::ShortRead))
                    : misplaced(video.path, "sound chunk " + std::to_string(chunk.number));
            return answer;
        }
    }
    writeWavHeader(*sound, static_cast<std::uint32_t>(dataSize), wav.data());
    answer.samples = dataSize / sound->blockAlign;
    const avi::SpanTaken& taken = planned.taken.front();
    answer.fromSeconds = frameSeconds(reading, taken.firstFrame);
    answer.toSeconds = frameSeconds(reading, taken.lastFrame + 1);
    return answer;
}

} // namespace kovra::player
