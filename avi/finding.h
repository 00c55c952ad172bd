// What a reading of a video finds wrong with it, as values: the command line and the gallery
// put them into words, tests compare them.
#pragma once

#include <cstdint>

namespace kovra::avi {

enum class FindingKind : std::uint8_t {
    // The file cannot be made playable; the first of these found is the only finding.
    NotAvi,           // not a RIFF/MARS 'AVI ' file
    NoHeader,         // no readable hdrl
    NoVideoStream,    // hdrl holds no "vids" stream
    NoMovi,           // no LIST movi after the header
    DamagedFormat,    // stream's strf missing or too short for its kind (a BITMAPINFOHEADER
                      // to its compression code, a WAVEFORMATEX), or sound of no channels,
                      // format tag 0 or PCM of 0 bits
    SoundWithoutRate, // stream is sound whose sample rate, strh rate or strh scale is 0
    NoFrameRate,      // stream: the video's; stated: its strh rate, found: its strh scale
                      // (frames a second is stated / found); neither they nor avih's
                      // microseconds per frame give a rate a recorder makes
    TooLong,          // found: the frames, which at the video's rate last longer than the
                      // longest recording
    NoCompleteFrame,  // not one whole video frame
    TooLargeToRepair, // found: the size the repaired file would have, past the largest
                      // file the output may be

    // Damage a repair mends; each names what the file says (stated) against what its data
    // holds (found), and what the repair writes (fixed) where that is a number.
    ReadError,           // found: the offset of the first read that failed; the rest is lost
    NoIndex,             // fixed: the entries of the new index
    IndexCutOff,         // fixed: as NoIndex
    IndexDisagrees,      // fixed: as NoIndex
    HasIndexFlagMissing, // avih's "has index" flag not set
    LastChunkCutOff,     // the file ends inside a chunk
    Garbage,             // found: bytes between chunks that belong to none
    DamagedFrames,       // found: whole chunks whose JPEG frame is not whole
    TrailingBytes,       // found: bytes after the last chunk
    OpenDmlParts,        // found: RIFF AVIX parts, merged by a repair into one RIFF
    UnpaddedChunks,      // found: odd-sized chunks written without their pad byte
    RiffSize,            // stated, found: RIFF size against what the first RIFF holds; fixed
    MoviSize,            // stated, found; fixed
    TotalFrames,         // stated, found: avih total frames against the frames there
    StreamCount,         // stated, found: avih streams against the strl lists
    StreamLength,        // stream; stated, found: strh length against the data's
    FrameRate,           // stream; stated: strh rate, found: strh scale, a rate no recorder
                         // makes; fixed: avih's microseconds per frame, written as the scale
                         // over a rate of a million
};

struct Finding {
    FindingKind kind;
    std::uint32_t stream = 0;
    std::uint64_t stated = 0; // what the file says
    std::uint64_t found = 0;  // what the data holds, or the count or offset the kind names
    std::uint64_t fixed = 0;  // what a repair writes in its place

    bool operator==(const Finding& other) const {
        return kind == other.kind && stream == other.stream && stated == other.stated &&
               found == other.found && fixed == other.fixed;
    }
};

// Whether the kind makes a video unreadable (nothing a repair can write).
bool isFailure(FindingKind kind);

} // namespace kovra::avi
