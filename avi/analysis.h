// One reading of a video shared by inspect() and repair(), so that the size inspect()
// promises is the size repair() writes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "avi/avi_header.h"
#include "avi/byte_source.h"
#include "avi/data_chunks.h"
#include "avi/index_check.h"
#include "avi/video_report.h"

namespace kovra::avi {

struct Analysis {
    VideoReport report;
    AviHeader header;
    std::string failure;            // why it is unreadable
    std::vector<std::string> fixes; // what a repair changes
    bool sound = false;
    Tally tally;
    ChunkList chunks;             // what a repair copies, in order; only when asked for
    bool chunksFromIndex = false; // the old index listed them (with its flags)
    IndexLocation index;
    bool intraOnly = false; // every video frame is a key frame
};

Analysis analyse(ByteSource& source, bool keepChunks);

// The length a stream's strh must give for the data: video frames (chunks), or audio samples
// (bytes / block align) when the stream has a sample size.
std::uint64_t strhLength(const StreamHeader& stream, const StreamTally& tally);

} // namespace kovra::avi
