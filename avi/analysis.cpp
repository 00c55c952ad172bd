#include "avi/analysis.h"

#include <algorithm>

#include "avi/frame_check.h"
#include "avi/movi_walk.h"

namespace kovra::avi {

namespace {

constexpr double kMicrosecondsPerSecond = 1e6;

std::string number(std::uint64_t n) {
    return std::to_string(n);
}

// What a top-level walk past movi finds.
struct Tail {
    std::uint64_t firstRiffEnd = 0; // the end of the first RIFF's last chunk
    std::uint64_t trailingBytes = 0;
    std::uint64_t avixParts = 0;
};

class Analyser {
  public:
    Analyser(ByteSource& source, bool keepChunks, Analysis& a)
        : reader_(source), a_(a), out_(keepChunks ? &a.chunks : nullptr) {}

    void run();

  private:
    bool topLevelIdAt(std::uint64_t pos);
    bool moviEndTrusted(std::uint64_t moviList, std::uint32_t moviSize);
    void walkPart(std::uint64_t moviList, std::uint32_t moviSize, std::uint64_t& next);
    void noteWalk(const WalkFindings& walk);
    Tail walkTail(std::uint64_t pos);
    void fillStreams();
    void judge(const Tail& tail, std::uint64_t moviEnd, bool indexAgrees);
    void problem(std::string text, std::string fix) {
        a_.report.problems.push_back(std::move(text));
        a_.fixes.push_back(std::move(fix));
    }
    void fail(std::string reason) {
        a_.failure = reason;
        a_.report.problems.push_back(std::move(reason));
        a_.report.state = VideoState::Unreadable;
        a_.report.repairedSize = 0;
        a_.chunks.clear();
    }

    SourceReader reader_;
    Analysis& a_;
    ChunkList* out_;
    StreamContext context_;
    std::uint64_t garbageBytes_ = 0, damagedFrames_ = 0;
    bool cutOff_ = false;
    Unverified unverified_;
};

// A LIST rec there belongs to movi still: a stale size may end just before one.
bool Analyser::topLevelIdAt(std::uint64_t pos) {
    std::uint8_t h[kListHeaderSize];
    if (!reader_.copy(pos, h, kFourccSize))
        return false;
    FourCC id = le32(h);
    if (id == kList)
        return reader_.copy(pos, h, kListHeaderSize) && le32(h + kChunkHeaderSize) != kRec;
    return id == kIdx1 || id == kRiff || id == kJunk;
}

// A movi size is believed when its end is the file's end or the start of a top-level chunk;
// a power cut leaves it zero, or stale from an earlier point of the recording.
bool Analyser::moviEndTrusted(std::uint64_t moviList, std::uint32_t moviSize) {
    std::uint64_t fourcc = moviList + kChunkHeaderSize;
    if (moviSize < kFourccSize || !reader_.fits(fourcc, moviSize))
        return false;
    std::uint64_t next = fourcc + padded(moviSize);
    return fourcc + moviSize == reader_.size() || next == reader_.size() || topLevelIdAt(next);
}

void Analyser::noteWalk(const WalkFindings& walk) {
    garbageBytes_ += walk.garbageBytes;
    damagedFrames_ += walk.damagedFrames;
    cutOff_ = cutOff_ || walk.cutOff;
}

// An AVIX part's movi: walked, as it has no idx1 of its own.
void Analyser::walkPart(std::uint64_t moviList, std::uint32_t moviSize, std::uint64_t& next) {
    std::uint64_t data = moviList + kListHeaderSize;
    if (moviEndTrusted(moviList, moviSize)) {
        std::uint64_t end = moviList + kChunkHeaderSize + moviSize;
        noteWalk(walkMovi(reader_, context_, data, end, true, a_.tally, out_, unverified_));
        next = std::min(moviList + kChunkHeaderSize + padded(moviSize), reader_.size());
    } else {
        WalkFindings walk =
            walkMovi(reader_, context_, data, reader_.size(), false, a_.tally, out_, unverified_);
        noteWalk(walk);
        next = walk.end;
    }
}

// After the first movi: idx1, other chunks of the first RIFF, OpenDML's RIFF AVIX parts.
Tail Analyser::walkTail(std::uint64_t pos) {
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
        if (id == kIdx1 && tail.avixParts == 0 && (!a_.index.present || a_.index.offset == pos)) {
            if (!a_.index.present)
                a_.index = locateIndex(reader_, pos);
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

void Analyser::fillStreams() {
    const AviHeader& h = a_.header;
    const StreamHeader& video = h.streams[h.videoStream];
    FourCC codec = video.handler;
    if (video.hasBitmapInfo && !fourccText(video.compression).empty())
        codec = video.compression;
    a_.report.codec = fourccText(codec);
    a_.intraOnly = isIntraOnlyCodec(codec) || (video.hasBitmapInfo && video.compression == 0);
    a_.report.width = video.hasBitmapInfo ? video.width : h.width;
    a_.report.height = video.hasBitmapInfo ? video.height : h.height;
    if (video.rate != 0 && video.scale != 0)
        a_.report.fps = static_cast<double>(video.rate) / video.scale;
    else if (h.microsecondsPerFrame != 0)
        a_.report.fps = kMicrosecondsPerSecond / h.microsecondsPerFrame;
    for (const StreamHeader& stream : h.streams)
        if (stream.type == kAuds && stream.hasWaveFormat) {
            a_.report.audio = stream.audio;
            break;
        }
    context_.streamCount = h.streams.size();
    context_.videoStream = h.videoStream;
    context_.jpegFrames = isJpegCodec(codec);
    a_.tally = Tally(h.streams.size());
}

void Analyser::judge(const Tail& tail, std::uint64_t moviEnd, bool indexAgrees) {
    const AviHeader& h = a_.header;
    VideoReport& r = a_.report;
    std::uint64_t moviFourcc = h.moviList + kChunkHeaderSize;
    std::uint64_t writtenMovi = kFourccSize + a_.tally.writtenBytes;
    r.repairedSize = h.moviList + kChunkHeaderSize + writtenMovi + kChunkHeaderSize +
                     a_.tally.chunks * kIndexEntrySize;

    if (reader_.readFailed())
        problem("read error at offset " + number(reader_.failedAt()),
                "the unreadable rest left out");
    std::string rebuilt = "index rebuilt: " + number(a_.tally.chunks) + " entries";
    if (!a_.index.present)
        problem("no index", rebuilt);
    else if (a_.index.cutOff)
        problem("index cut off", rebuilt);
    else if (!indexAgrees)
        problem("index disagrees with the data", rebuilt);
    else if (!(h.flags & kAvifHasIndex))
        problem("avih has-index flag not set", "avih has-index flag set");
    if (cutOff_)
        problem("last chunk cut off", "cut-off last chunk left out");
    if (garbageBytes_ != 0)
        problem("garbage between chunks: " + number(garbageBytes_) + " bytes", "garbage left out");
    if (damagedFrames_ != 0)
        problem(number(damagedFrames_) + " damaged frames", "damaged frames left out");
    if (tail.trailingBytes != 0)
        problem(number(tail.trailingBytes) + " bytes after the end",
                "bytes after the end left out");
    if (tail.avixParts != 0)
        problem("OpenDML continuation: " + number(tail.avixParts) + " AVIX parts",
                "AVIX parts merged into one RIFF");
    std::uint64_t riffHolds = tail.firstRiffEnd - kChunkHeaderSize;
    if (h.riffSize != riffHolds)
        problem("RIFF size " + number(h.riffSize) + ", data holds " + number(riffHolds),
                "RIFF size " + number(r.repairedSize - kChunkHeaderSize));
    if (h.moviSize != moviEnd - moviFourcc)
        problem("movi size " + number(h.moviSize) + ", data holds " + number(moviEnd - moviFourcc),
                "movi size " + number(writtenMovi));
    if (h.totalFrames != r.frames)
        problem("avih total frames " + number(h.totalFrames) + ", data holds " + number(r.frames),
                "avih total frames " + number(r.frames));
    if (h.streamsDeclared != h.streams.size())
        problem("avih streams " + number(h.streamsDeclared) + ", header holds " +
                    number(h.streams.size()),
                "avih streams " + number(h.streams.size()));
    for (std::size_t i = 0; i < h.streams.size(); ++i) {
        std::uint64_t length = strhLength(h.streams[i], a_.tally.streams[i]);
        if (h.streams[i].length != length)
            problem("strh length of stream " + number(i) + " " + number(h.streams[i].length) +
                        ", data holds " + number(length),
                    "strh length of stream " + number(i) + " " + number(length));
    }
}

void Analyser::run() {
    VideoReport& r = a_.report;
    if (!readHeader(reader_, a_.header, a_.failure)) {
        r.signature = a_.header.signature;
        fail(a_.failure);
        return;
    }
    const AviHeader& h = a_.header;
    r.signature = h.signature;
    fillStreams();

    std::uint64_t moviFourcc = h.moviList + kChunkHeaderSize;
    std::uint64_t moviData = h.moviList + kListHeaderSize;
    std::uint64_t moviEnd, tailStart;
    bool trusted = moviEndTrusted(h.moviList, h.moviSize);
    bool indexChecked = false;
    if (trusted) {
        moviEnd = moviFourcc + h.moviSize;
        tailStart = std::min(moviFourcc + padded(h.moviSize), reader_.size());
        a_.index = locateIndex(reader_, tailStart);
        if (a_.index.present && !a_.index.cutOff) {
            a_.chunksFromIndex =
                checkIndex(reader_, context_, a_.index, moviFourcc, moviEnd, &a_.tally, out_);
            indexChecked = true;
        }
        if (!a_.chunksFromIndex)
            noteWalk(
                walkMovi(reader_, context_, moviData, moviEnd, true, a_.tally, out_, unverified_));
    } else {
        WalkFindings walk = walkMovi(reader_, context_, moviData, reader_.size(), false, a_.tally,
                                     out_, unverified_);
        noteWalk(walk);
        moviEnd = tailStart = walk.end;
    }
    std::uint64_t firstMoviChunks = a_.tally.chunks;
    Tail tail = walkTail(tailStart);
    std::uint64_t dropped = dropUnendedLastFrames(reader_, unverified_, a_.tally, out_);
    damagedFrames_ += dropped;
    if (tail.avixParts == 0)
        firstMoviChunks -= dropped;

    bool indexAgrees = a_.chunksFromIndex;
    // An idx1 first found past walked data is checked against where that data ended.
    if (!indexChecked && a_.index.present && !a_.index.cutOff) {
        bool consistent =
            checkIndex(reader_, context_, a_.index, moviFourcc, moviEnd, nullptr, nullptr);
        indexAgrees = consistent && a_.index.entries == firstMoviChunks;
    }
    r.frames = a_.tally.streams[h.videoStream].chunks;
    r.durationSeconds = r.fps > 0 ? static_cast<double>(r.frames) / r.fps : 0;
    judge(tail, moviEnd, indexAgrees);

    if (r.frames == 0)
        return fail("no complete frame");
    if (r.problems.empty()) {
        a_.sound = true;
        r.state = VideoState::Ok;
        r.repairedSize = reader_.size();
        return;
    }
    if (r.repairedSize > kMaxOutputSize)
        return fail("repaired file would exceed 4 GiB");
    r.state = VideoState::Repairable;
}

} // namespace

std::uint64_t strhLength(const StreamHeader& stream, const StreamTally& tally) {
    if (stream.type != kAuds || stream.sampleSize == 0)
        return tally.chunks;
    std::uint32_t unit = stream.blockAlign != 0 ? stream.blockAlign : stream.sampleSize;
    return tally.bytes / unit;
}

Analysis analyse(ByteSource& source, bool keepChunks) {
    Analysis a;
    Analyser(source, keepChunks, a).run();
    return a;
}

} // namespace kovra::avi
