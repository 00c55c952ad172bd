// Why a frame gave no picture: told apart where the frame is read and its header checked, put
// into words only where the gallery shows it, and kept in the gallery's record as a kind.
#pragma once

namespace kovra::pictures {

enum class NoPicture {
    None,            // the frame gave its picture
    NoFrame,         // the video has no complete frame to take one from
    FrameUnreadable, // the system could not read the frame's bytes
    FrameMoved,      // the chunk where the index points is not that frame
    FrameTooLarge,   // more bytes than any frame (kMostFrameBytes)
    NotJpeg,         // it does not begin as a JPEG
    CutShort,        // it ends inside a segment or before its end marker
    DamagedMarkers,  // a marker or segment where none may stand
    OtherCoding,     // lossless, hierarchical or arithmetic-coded
    ComponentCount,  // neither grey (1) nor colour (3) components
    Cmyk,            // four components: CMYK, which the codecs do not agree on
    NotEightBit,     // samples of another precision than 8 bits (12-bit)
    ZeroSize,        // 0 wide or 0 high
    TooLarge,        // a side past kMostSide
    NoQuantTable,    // no quantisation table (DQT) before the scan
    NotDecoded,      // the header was sound, yet the system's codec could not decode it
};

} // namespace kovra::pictures
