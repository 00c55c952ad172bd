// What an output video holds, said before a byte of it is written: ranges of complete chunks
// taken from one or more readings, in order, and at most one partial sound chunk at each end.
#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <optional>
#include <vector>

#include "avi/video_reading.h"

namespace kovra::avi {

// Of one stream's chunks in a source, those numbered [from, to) in that stream's own order
// (its first chunk in the file is number 0).
struct StreamWindow {
    std::uint64_t from = 0;
    std::uint64_t to = std::numeric_limits<std::uint64_t>::max();
};

// Chunks [first, last) of one source's reading, in its file order; of those, where streams is
// not empty, only the chunks each stream's window holds (one window a stream).
struct ChunkRange {
    std::size_t source = 0; // index into the readings the plan is written with
    std::size_t first = 0, last = 0;
    std::vector<StreamWindow> streams;
};

// Part of a sound chunk's payload: whole sample frames (block align) of it.
struct PartialChunk {
    std::size_t source = 0;
    std::size_t chunk = 0; // index into the source's chunk list
    std::uint32_t offset = 0, size = 0;
};

struct Plan {
    // The first source's bytes as they are, "RIFF" written over its signature: what a repair
    // of a sound video writes.
    bool asIs = false;
    std::optional<PartialChunk> head; // before the ranges' chunks
    std::vector<ChunkRange> ranges;
    std::optional<PartialChunk> tail; // after them
    // Up to this output size the writer writes one RIFF with idx1, the first source's header in
    // place with its words corrected; past it, OpenDML (RIFF AVIX parts, indx and ix##
    // indexes), each RIFF no larger than this unless one chunk is. A repair keeps today's one
    // RIFF up to what a FAT32 card holds.
    std::uint64_t singleRiffUpTo = std::uint64_t{1} << 30;
    // When the output's first frame was recorded: written over the first source's IDIT date
    // where it has one (a clip begins later than its first source did). Nothing: left as is.
    std::optional<RecordingDate> recorded;
};

// A repair: the whole of one reading (which must hold its chunks, and not be Unreadable).
Plan planWhole(const VideoReading& reading);

// Part of one source, in milliseconds from its first frame: the video frames that start in
// [fromMs, toMs), and the sound of the same span. Frame n starts at n x scale / rate seconds of
// the video's strh (avih's microseconds per frame where strh gives none), compared exactly.
struct SourceSpan {
    std::size_t source = 0;
    std::int64_t fromMs = 0;
    std::int64_t toMs = std::numeric_limits<std::int64_t>::max();
};

// What a plan of spans takes of one source.
struct SpanTaken {
    std::size_t source = 0;
    std::uint64_t firstFrame = 0, lastFrame = 0; // video frame numbers, lastFrame included
    std::uint64_t frames = 0;                    // lastFrame - firstFrame + 1
    std::uint64_t samples = 0;                   // sound sample frames taken (0 without sound)
};

enum class PlanRefusal {
    None,
    NothingInRange, // no frame of any source starts inside its span
    FormatsDiffer,  // two sources are not one format (see difference)
    Unreadable,     // a span names a source that is missing, unreadable, or read without its
                    // chunks (see differingSource)
};

enum class FormatDifference { None, Codec, FrameSize, FrameRate, Sound, Streams };

struct SpanPlan {
    PlanRefusal refusal = PlanRefusal::None;
    Plan plan;
    std::vector<SpanTaken> taken; // one a source that gives something, in order
    // FormatsDiffer: the first source (by span order) unlike the one before it, and how;
    // Unreadable: the first such source.
    std::size_t differingSource = 0;
    FormatDifference difference = FormatDifference::None;
    // Where the codec is not intra-only, the first frame moved back to the key frame at or
    // before the span's start; how many frames that added.
    std::uint64_t framesBeforeStart = 0;
};

// A plan of spans of consecutive sources, in order: from each, the video frames starting in
// its span; the sound from the first frame taken to the source's end for the first span, the
// whole sound of every span between, and from the source's start to the end of the last frame
// taken for the last span unless that span runs to its source's end (toMs at its largest),
// which takes the sound to the end as well (a span of one source is cut at both ends), each
// cut at the sample,
// so that only the plan's first and last sound chunks are partial. Every source must be read
// with its chunks and be of one format with the others (codec, frame size and rate, sound).
//
// The first and last spans are those that give a frame; a span that gives none gives no sound
// either. Sound sample s starts at s x scale / rate of the sound's strh; a cut falls on the
// sample that starts nearest to when its frame starts (the end of the last frame: when the
// next would start), and the sound stream cut is the first one with a WAVEFORMATEX, in sample
// frames of its block align (in whole chunks where its strh gives no sample size). Where the
// codec is not intra-only, each span's first frame moves back to the key frame at or before
// it. Other streams (neither the video nor that sound) are taken whole between the first and
// the last chunk a source gives. Joins are spans {source, 0, max} of each source.
SpanPlan planSpans(const std::vector<const VideoReading*>& readings,
                   const std::vector<SourceSpan>& spans);

// The sound stream planSpans() cuts at the sample: the first with a WAVEFORMATEX; -1 for none.
int cutSoundStream(const AviHeader& header);

} // namespace kovra::avi
