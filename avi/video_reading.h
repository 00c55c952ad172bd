// One reading of a video: its format, its complete chunks in order and what is wrong with it.
// Everything else in avi/ starts from one: inspect() keeps its report, a plan its chunks.
#pragma once

#include <cstdint>
#include <optional>

#include "avi/avi_header.h"
#include "avi/byte_source.h"
#include "avi/data_chunks.h"
#include "avi/index_check.h"
#include "avi/video_report.h"

namespace kovra::avi {

struct VideoReading {
    VideoReport report;
    std::uint64_t size = 0; // the source's bytes
    AviHeader header;
    Tally tally;      // the complete chunks, per stream
    ChunkList chunks; // the complete chunks in file order, each with its old index flags where
                      // an index listed it; only when asked for
    bool chunksFromIndex = false; // the index was consistent and listed them
    IndexLocation index;
    bool intraOnly = false; // every video frame is a key frame

    bool sound() const { return report.state == VideoState::Ok; }
};

// How much of the data a reading looks at.
enum class ReadingDepth {
    Full,   // every chunk an index lists is checked there; reads in large windows
    Glance, // an index is checked against the file's size alone, only where there is none
            // usable are the chunk headers walked, each with a read of its own
};

// Whether a reading fills its chunk list: a plan needs it; a listing does not, and spares its
// memory.
enum class Chunks { Keep, CountOnly };

// Reads the source once.
VideoReading readVideo(ByteSource& source, Chunks chunks, ReadingDepth depth = ReadingDepth::Full);

// Whether the source's header and an idx1 where its movi says it ends promise an index to take
// the chunks from: read from the header and the index's own header alone. Where not, any
// reading of the video's length (a glance too) walks every chunk header.
bool indexPromised(ByteSource& source);

// What the header alone tells before any data is read: the index's promise as indexPromised()
// gives it, and the IDIT date a reading's report would carry.
struct HeaderPromise {
    bool indexPromised = false;
    std::optional<RecordingDate> recorded;
};
HeaderPromise readHeaderPromise(ByteSource& source);

// Whether a player may start at the chunk, number `number` of its stream in the reading: every
// sound chunk, every frame of an intra-only codec; otherwise a frame the old index flagged, or,
// where no index listed it, the first, where the recording began.
bool isKeyFrame(const VideoReading& reading, const DataChunk& chunk, std::uint64_t number);

// The length a stream's strh must give for the data: video frames (chunks), or audio samples
// (bytes / block align) when the stream has a sample size.
std::uint64_t strhLength(const StreamHeader& stream, const StreamTally& tally);

} // namespace kovra::avi
