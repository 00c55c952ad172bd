#include "device/closed_video.h"

#include <cstdint>

#include "avi/avi_header.h"
#include "avi/index_check.h"
#include "avi/riff.h"
#include "avi/source_reader.h"
#include "device/video_files.h"

namespace kovra {

VideoClosing closingOf(Platform& platform, const std::string& path) {
    VideoFileSource in(platform, path);
    if (in.openError() != OsError::None)
        return VideoClosing::NotAVideo;
    avi::SourceReader reader(in);
    avi::AviHeader header;
    avi::FindingKind failure;
    if (!avi::readHeader(reader, header, failure) || header.signature == avi::Signature::Other)
        return VideoClosing::NotAVideo;
    // A second RIFF (OpenDML) or bytes past the first are no recorder's closing.
    std::uint64_t size = in.size();
    if (header.riffSize + std::uint64_t{avi::kChunkHeaderSize} != size)
        return VideoClosing::Unclosed;
    std::uint64_t moviFourcc = header.moviList + avi::kChunkHeaderSize;
    avi::IndexLocation index = avi::locateIndex(reader, moviFourcc + avi::padded(header.moviSize));
    bool closed =
        index.present && !index.cutOff && index.entries != 0 &&
        index.offset + avi::kChunkHeaderSize + index.entries * avi::kIndexEntrySize == size;
    return closed ? VideoClosing::Closed : VideoClosing::Unclosed;
}

} // namespace kovra
