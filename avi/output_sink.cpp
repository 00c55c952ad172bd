#include "avi/output_sink.h"

#include <algorithm>

namespace kovra::avi {

bool MemoryOutput::append(const void* data, std::size_t n) {
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    bytes_.insert(bytes_.end(), bytes, bytes + n);
    return true;
}

bool MemoryOutput::appendFrom(std::size_t source, std::uint64_t offset, std::uint64_t n) {
    if (source >= sources_.size() || n > bytes_.max_size() - bytes_.size())
        return false;
    std::size_t at = bytes_.size();
    bytes_.resize(at + static_cast<std::size_t>(n));
    if (n == 0 || sources_[source]->readAt(offset, bytes_.data() + at, static_cast<std::size_t>(n)))
        return true;
    bytes_.resize(at);
    return false;
}

bool MemoryOutput::overwrite(std::uint64_t offset, const void* data, std::size_t n) {
    if (offset > bytes_.size() || n > bytes_.size() - offset)
        return false;
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    std::copy(bytes, bytes + n, bytes_.begin() + static_cast<std::ptrdiff_t>(offset));
    return true;
}

bool OutputPieceList::append(const void* data, std::size_t n) {
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    if (pieces_.empty() || pieces_.back().fromSource)
        pieces_.emplace_back();
    OutputPiece& piece = pieces_.back();
    piece.bytes.insert(piece.bytes.end(), bytes, bytes + n);
    piece.size = piece.bytes.size();
    return true;
}

bool OutputPieceList::appendFrom(std::size_t source, std::uint64_t offset, std::uint64_t n) {
    OutputPiece piece;
    piece.fromSource = true;
    piece.source = source;
    piece.offset = offset;
    piece.size = n;
    pieces_.push_back(std::move(piece));
    return true;
}

std::vector<OutputPiece> OutputPieceList::throughSourceBytes() const {
    auto last = std::find_if(pieces_.rbegin(), pieces_.rend(),
                             [](const OutputPiece& piece) { return piece.fromSource; });
    return std::vector<OutputPiece>(pieces_.begin(), last.base());
}

} // namespace kovra::avi
