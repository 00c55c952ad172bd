#include "avi/video_reading.h"

#include <algorithm>
#include <optional>

#include "avi/exact_time.h"
#include "avi/format_check.h"
#include "avi/frame_check.h"
#include "avi/movi_walk.h"

namespace kovra::avi {

namespace {

// What a top-level walk past movi finds.
struct Tail {
    std::uint64_t firstRiffEnd = 0; // the end of the first RIFF's last chunk
    std::uint64_t trailingBytes = 0;
    std::uint64_t avixParts = 0;
};

class VideoReader {
  public:
    VideoReader(ByteSource& source, bool keepChunks, ReadingDepth depth, VideoReading& reading)
        : reader_(source, depth == ReadingDepth::Glance), reading_(reading),
          out_(keepChunks ? &reading.chunks : nullptr),
          indexCheck_(depth == ReadingDepth::Glance ? IndexCheck::Bounds : IndexCheck::Chunks),
          walker_(reader_, context_, reading.tally, out_,
                  depth == ReadingDepth::Glance ? AtCut::Stop : AtCut::Resync) {}

    void run();
    bool indexPromised();

  private:
    bool topLevelIdAt(std::uint64_t pos);
    bool moviEndTrusted(std::uint64_t moviList, std::uint32_t moviSize);
    void walkPart(std::uint64_t moviList, std::uint32_t moviSize, std::uint64_t& next);
    void noteWalk(const WalkFindings& walk);
    Tail walkTail(std::uint64_t pos);
    void fillStreams();
    void judge(const Tail& tail, std::uint64_t moviEnd, bool indexAgrees);
    void problem(FindingKind kind, std::uint64_t stated, std::uint64_t found, std::uint64_t fixed,
                 std::uint32_t stream = 0) {
        reading_.report.findings.push_back({kind, stream, stated, found, fixed});
    }
    void fail(Finding reason) {
        reading_.report.findings = {reason};
        reading_.report.state = VideoState::Unreadable;
        reading_.report.repairedSize = 0;
        reading_.chunks.clear();
    }
    void fail(FindingKind kind, std::uint64_t found = 0) { fail(Finding{kind, 0, 0, found, 0}); }

    SourceReader reader_;
    VideoReading& reading_;
    ChunkList* out_;
    IndexCheck indexCheck_;
    StreamContext context_;
    MoviWalker walker_;
    std::uint64_t garbageBytes_ = 0, damagedFrames_ = 0, unpadded_ = 0;
    bool cutOff_ = false;
};

// A LIST rec there belongs to movi still: a stale size may end just before one.
// Looked at through the window, not copied past it: the index the fourcc mostly names is read
// next, from the same read.
bool VideoReader::topLevelIdAt(std::uint64_t pos) {
    const std::uint8_t* h = reader_.view(pos, kFourccSize);
    if (!h)
        return false;
    FourCC id = le32(h);
    if (id == kList)
        return (h = reader_.view(pos, kListHeaderSize)) && le32(h + kChunkHeaderSize) != kRec;
    return id == kIdx1 || id == kRiff || id == kJunk;
}

// A movi size is believed when its end is the file's end or the start of a top-level chunk;
// a power cut leaves it zero, or stale from an earlier point of the recording.
bool VideoReader::moviEndTrusted(std::uint64_t moviList, std::uint32_t moviSize) {
    std::uint64_t fourcc = moviList + kChunkHeaderSize;
    if (moviSize < kFourccSize || !reader_.fits(fourcc, moviSize))
        return false;
    std::uint64_t next = fourcc + padded(moviSize);
    return fourcc + moviSize == reader_.size() || next == reader_.size() || topLevelIdAt(next);
}

void VideoReader::noteWalk(const WalkFindings& walk) {
    garbageBytes_ += walk.garbageBytes;
    damagedFrames_ += walk.damagedFrames;
    unpadded_ += walk.unpadded;
    cutOff_ = cutOff_ || walk.cutOff;
}

// An AVIX part's movi: walked, as it has no idx1 of its own.
void VideoReader::walkPart(std::uint64_t moviList, std::uint32_t moviSize, std::uint64_t& next) {
    std::uint64_t data = moviList + kListHeaderSize;
    if (moviEndTrusted(moviList, moviSize)) {
        std::uint64_t end = moviList + kChunkHeaderSize + moviSize;
        noteWalk(walker_.walk(data, end, WalkLimit::MoviEnd));
        next = std::min(moviList + kChunkHeaderSize + padded(moviSize), reader_.size());
    } else {
        WalkFindings walk = walker_.walk(data, reader_.size(), WalkLimit::FileEnd);
        noteWalk(walk);
        next = walk.end;
    }
}

// After the first movi: idx1, other chunks of the first RIFF, OpenDML's RIFF AVIX parts.
Tail VideoReader::walkTail(std::uint64_t pos) {
    Tail tail;
    tail.firstRiffEnd = pos;
    const std::uint64_t size = reader_.size();
    while (pos < size) {
        const std::uint8_t* h =
            size - pos >= kChunkHeaderSize ? reader_.view(pos, kChunkHeaderSize) : nullptr;
        if (!h) {
            tail.trailingBytes += size - pos;
            break;
        }
        FourCC id = le32(h);
        std::uint32_t chunkSize = le32(h + kFourccSize);
        bool fits = reader_.fits(pos + kChunkHeaderSize, chunkSize);
        std::uint64_t next =
            fits ? std::min(pos + kChunkHeaderSize + padded(chunkSize), size) : size;
        if (id == kIdx1 && tail.avixParts == 0 &&
            (!reading_.index.present || reading_.index.offset == pos)) {
            if (!reading_.index.present)
                reading_.index = locateIndex(reader_, pos);
            pos = tail.firstRiffEnd = next;
            continue;
        }
        std::uint8_t form[kFourccSize];
        if (id == kRiff && reader_.copy(pos + kFormOffset, form, kFourccSize) &&
            le32(form) == kAvixForm) {
            ++tail.avixParts;
            // The part's own chunks up to its movi; an unreadable one ends the search.
            std::uint64_t p = pos + kListHeaderSize;
            pos = p;
            for (std::uint8_t c[kListHeaderSize]; reader_.copy(p, c, kListHeaderSize);) {
                std::uint32_t cSize = le32(c + kFourccSize);
                if (le32(c) == kList && le32(c + kChunkHeaderSize) == kMovi) {
                    walkPart(p, cSize, pos);
                    break;
                }
                if (!isPrintableFourcc(le32(c)) || !reader_.fits(p + kChunkHeaderSize, cSize))
                    break;
                p += kChunkHeaderSize + padded(cSize);
            }
            continue;
        }
        if (!isPrintableFourcc(id) || !fits) {
            tail.trailingBytes += size - pos;
            break;
        }
        pos = next;
        if (tail.avixParts == 0)
            tail.firstRiffEnd = pos;
    }
    return tail;
}

void VideoReader::fillStreams() {
    const AviHeader& h = reading_.header;
    const StreamHeader& video = h.streams[h.videoStream];
    FourCC codec = video.handler;
    if (video.hasBitmapInfo && !fourccText(video.compression).empty())
        codec = video.compression;
    reading_.report.codec = fourccText(codec);
    reading_.intraOnly = isIntraOnlyCodec(codec) || (video.hasBitmapInfo && video.compression == 0);
    reading_.report.width = video.hasBitmapInfo ? video.width : h.width;
    reading_.report.height = video.hasBitmapInfo ? video.height : h.height;
    Clock clock = videoClock(h);
    if (clock.num != 0)
        reading_.report.fps = static_cast<double>(clock.den) / static_cast<double>(clock.num);
    for (const StreamHeader& stream : h.streams)
        if (stream.type == kAuds && stream.hasWaveFormat) {
            reading_.report.audio = stream.audio;
            break;
        }
    context_.streamCount = h.streams.size();
    context_.videoStream = h.videoStream;
    context_.jpegFrames = isJpegCodec(codec);
    reading_.tally = Tally(h.streams.size());
}

void VideoReader::judge(const Tail& tail, std::uint64_t moviEnd, bool indexAgrees) {
    const AviHeader& h = reading_.header;
    VideoReport& r = reading_.report;
    std::uint64_t moviFourcc = h.moviList + kChunkHeaderSize;
    std::uint64_t writtenMovi = kFourccSize + reading_.tally.writtenBytes;
    r.repairedSize = h.moviList + kChunkHeaderSize + writtenMovi + kChunkHeaderSize +
                     reading_.tally.chunks * kIndexEntrySize;

    if (reader_.readFailed())
        problem(FindingKind::ReadError, 0, reader_.failedAt(), 0);
    std::uint64_t entries = reading_.tally.chunks;
    if (!reading_.index.present)
        problem(FindingKind::NoIndex, 0, 0, entries);
    else if (reading_.index.cutOff)
        problem(FindingKind::IndexCutOff, 0, 0, entries);
    else if (!indexAgrees)
        problem(FindingKind::IndexDisagrees, 0, 0, entries);
    else if (!(h.flags & kAvifHasIndex))
        problem(FindingKind::HasIndexFlagMissing, 0, 0, 0);
    if (cutOff_)
        problem(FindingKind::LastChunkCutOff, 0, 0, 0);
    if (garbageBytes_ != 0)
        problem(FindingKind::Garbage, 0, garbageBytes_, 0);
    if (damagedFrames_ != 0)
        problem(FindingKind::DamagedFrames, 0, damagedFrames_, 0);
    if (tail.trailingBytes != 0)
        problem(FindingKind::TrailingBytes, 0, tail.trailingBytes, 0);
    if (tail.avixParts != 0)
        problem(FindingKind::OpenDmlParts, 0, tail.avixParts, 0);
    if (unpadded_ != 0)
        problem(FindingKind::UnpaddedChunks, 0, unpadded_, 0);
    std::uint64_t riffHolds = tail.firstRiffEnd - kChunkHeaderSize;
    if (h.riffSize != riffHolds)
        problem(FindingKind::RiffSize, h.riffSize, riffHolds, r.repairedSize - kChunkHeaderSize);
    if (h.moviSize != moviEnd - moviFourcc)
        problem(FindingKind::MoviSize, h.moviSize, moviEnd - moviFourcc, writtenMovi);
    if (h.totalFrames != r.frames)
        problem(FindingKind::TotalFrames, h.totalFrames, r.frames, r.frames);
    if (h.streamsDeclared != h.streams.size())
        problem(FindingKind::StreamCount, h.streamsDeclared, h.streams.size(), h.streams.size());
    for (std::size_t i = 0; i < h.streams.size(); ++i) {
        std::uint64_t length = strhLength(h.streams[i], reading_.tally.streams[i]);
        if (h.streams[i].length != length)
            problem(FindingKind::StreamLength, h.streams[i].length, length, length,
                    static_cast<std::uint32_t>(i));
    }
    const StreamHeader& video = h.streams[h.videoStream];
    if (rewrittenVideoClock(h).num != 0)
        problem(FindingKind::FrameRate, video.rate, video.scale, h.microsecondsPerFrame,
                h.videoStream);
}

bool VideoReader::indexPromised() {
    FindingKind failure = FindingKind::NotAvi;
    const AviHeader& h = reading_.header;
    if (!readHeader(reader_, reading_.header, failure) || !moviEndTrusted(h.moviList, h.moviSize))
        return false;
    IndexLocation index = locateIndex(
        reader_, std::min(h.moviList + kChunkHeaderSize + padded(h.moviSize), reader_.size()));
    return index.present && !index.cutOff;
}

void VideoReader::run() {
    VideoReport& r = reading_.report;
    reading_.size = reader_.size();
    FindingKind failure = FindingKind::NotAvi;
    bool headerRead = readHeader(reader_, reading_.header, failure);
    const AviHeader& h = reading_.header;
    r.signature = h.signature;
    r.recorded = h.recorded;
    if (!headerRead)
        return fail(failure);
    fillStreams();
    if (std::optional<Finding> damaged = unreadableFormat(h))
        return fail(*damaged);
    // Every time of a video is counted in its frames: a video whose rate no one can tell has
    // none, and a header's rate of a frame a century would make its times nonsense.
    const StreamHeader& video = h.streams[h.videoStream];
    if (videoClock(h).num == 0)
        return fail(Finding{FindingKind::NoFrameRate, h.videoStream, video.rate, video.scale, 0});

    std::uint64_t moviFourcc = h.moviList + kChunkHeaderSize;
    std::uint64_t moviData = h.moviList + kListHeaderSize;
    std::uint64_t moviEnd, tailStart;
    bool trusted = moviEndTrusted(h.moviList, h.moviSize);
    bool indexChecked = false;
    if (trusted) {
        moviEnd = moviFourcc + h.moviSize;
        tailStart = std::min(moviFourcc + padded(h.moviSize), reader_.size());
        reading_.index = locateIndex(reader_, tailStart);
        if (reading_.index.present && !reading_.index.cutOff) {
            IndexedChunks listed(h.streams.size());
            reading_.chunksFromIndex = checkIndex(reader_, context_, reading_.index, moviFourcc,
                                                  moviEnd, listed, out_, indexCheck_);
            if (reading_.chunksFromIndex) {
                reading_.tally.add(listed.tally);
                unpadded_ += listed.unpadded;
            }
            indexChecked = true;
        }
        if (!reading_.chunksFromIndex)
            noteWalk(walker_.walk(moviData, moviEnd, WalkLimit::MoviEnd));
    } else {
        WalkFindings walk = walker_.walk(moviData, reader_.size(), WalkLimit::FileEnd);
        noteWalk(walk);
        moviEnd = tailStart = walk.end;
    }
    std::uint64_t firstMoviChunks = reading_.tally.chunks;
    Tail tail = walkTail(tailStart);
    std::uint64_t dropped = walker_.dropUnendedLastFrames();
    damagedFrames_ += dropped;
    if (tail.avixParts == 0)
        firstMoviChunks -= dropped;

    bool indexAgrees = reading_.chunksFromIndex;
    // An idx1 first found past walked data is checked against where that data ended.
    if (!indexChecked && reading_.index.present && !reading_.index.cutOff) {
        IndexedChunks listed(h.streams.size());
        bool consistent = checkIndex(reader_, context_, reading_.index, moviFourcc, moviEnd, listed,
                                     nullptr, indexCheck_);
        indexAgrees = consistent && reading_.index.entries == firstMoviChunks;
    }
    r.frames = reading_.tally.streams[h.videoStream].chunks;
    r.durationSeconds = r.fps > 0 ? static_cast<double>(r.frames) / r.fps : 0;
    judge(tail, moviEnd, indexAgrees);

    if (r.frames == 0)
        return fail(FindingKind::NoCompleteFrame);
    if (!withinLongestRecording(videoClock(h), r.frames))
        return fail(FindingKind::TooLong, r.frames);
    if (r.findings.empty()) {
        r.state = VideoState::Ok;
        r.repairedSize = reader_.size();
        return;
    }
    if (r.repairedSize > kMaxOutputSize)
        return fail(FindingKind::TooLargeToRepair, r.repairedSize);
    r.state = VideoState::Repairable;
    // Walked chunks keep the key-frame flags of an index that cannot be used as a whole. Read
    // once the findings are made, so that a listing, which keeps no chunks, finds the same.
    if (out_ && !reading_.intraOnly && !reading_.chunksFromIndex && reading_.index.present)
        takeIndexFlags(reader_, reading_.index, moviFourcc, reading_.chunks);
}

} // namespace

bool isKeyFrame(const VideoReading& reading, const DataChunk& chunk, std::uint64_t number) {
    if (chunk.stream != reading.header.videoStream || reading.intraOnly)
        return true;
    if (chunk.flagsKnown())
        return chunk.flags() != 0;
    return number == 0;
}

std::uint64_t strhLength(const StreamHeader& stream, const StreamTally& tally) {
    if (stream.type != kAuds || stream.sampleSize == 0)
        return tally.chunks;
    std::uint32_t unit = stream.blockAlign != 0 ? stream.blockAlign : stream.sampleSize;
    return tally.bytes / unit;
}

bool indexPromised(ByteSource& source) {
    return readHeaderPromise(source).indexPromised;
}

HeaderPromise readHeaderPromise(ByteSource& source) {
    VideoReading reading;
    HeaderPromise promise;
    // Read in the reader's windows: a header of many small chunks is then a call or two to the
    // system rather than one a field, and the index's header one more.
    promise.indexPromised = VideoReader(source, false, ReadingDepth::Full, reading).indexPromised();
    promise.recorded = reading.header.recorded;
    return promise;
}

VideoReading readVideo(ByteSource& source, Chunks chunks, ReadingDepth depth) {
    VideoReading reading;
    VideoReader(source, chunks == Chunks::Keep, depth, reading).run();
    return reading;
}

} // namespace kovra::avi
