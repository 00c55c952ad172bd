#include "device/video_files.h"

#include <algorithm>

#include "platform/file.h"

namespace kovra {

VideoFileSource::VideoFileSource(Platform& platform, const std::string& path, VideoReads reads)
    : platform_(platform), path_(path) {
    openError_ = platform_.open(path.c_str(), OpenMode::ReadShared, file_);
    if (openError_ != OsError::None) {
        openError_ = openError_.on(OsError::Side::Source);
        return;
    }
    open_ = true;
    openError_ = platform_.fileSize(file_, size_);
    // Where the system maps no file, reads are calls; the reader then reads large windows.
    mapping_ = reads == VideoReads::Mapped && openError_ == OsError::None && size_ != 0 &&
               partHolding(0, 0) != nullptr;
}

VideoFileSource::~VideoFileSource() {
    for (MappedFile& part : parts_)
        if (part.data)
            platform_.unmap(part);
    if (open_)
        platform_.close(file_);
}

const MappedFile* VideoFileSource::partHolding(std::uint64_t offset, std::size_t n) {
    for (const MappedFile& part : parts_)
        if (part.data && offset >= part.offset && offset - part.offset <= part.size &&
            n <= part.size - (offset - part.offset))
            return &part;
    // Reads are small next to a part: one that crosses a part's end starts a part of its own.
    std::uint64_t start = offset - offset % kMapAlignment;
    std::uint64_t length = std::min<std::uint64_t>(
        std::max<std::uint64_t>(kPartSize, offset + n - start), size_ - start);
    MappedFile& part = parts_[nextPart_];
    nextPart_ = (nextPart_ + 1) % kParts;
    if (part.data)
        platform_.unmap(part);
    if (platform_.map(file_, start, length, part) != OsError::None) {
        part = MappedFile{};
        return nullptr;
    }
    return &part;
}

bool VideoFileSource::readAt(std::uint64_t offset, void* buffer, std::size_t n) {
    if (openError_ != OsError::None || offset > size_ || n > size_ - offset)
        return false;
    if (n == 0)
        return true;
    bytesRead_ += n;
    const MappedFile* part = mapping_ ? partHolding(offset, n) : nullptr;
    OsError error = part ? platform_.readMapped(*part, offset, buffer, n)
                         : platform_.readAt(file_, offset, buffer, n);
    if (error != OsError::None && readError_ == OsError::None)
        readError_ = error.on(OsError::Side::Source);
    return error == OsError::None;
}

bool VideoFileSource::copyTo(FileReplacement& file, std::uint64_t offset, std::uint64_t n) {
    if (openError_ != OsError::None || offset > size_ || n > size_ - offset)
        return false;
    return file.copyRange(file_, offset, n) == OsError::None;
}

OsError readSignature(Platform& platform, const std::string& path, std::string& signature) {
    File file(platform, path.c_str(), OpenMode::ReadShared);
    if (!file.isOpen())
        return file.openError();
    char head[kSignatureSize];
    OsError error = file.read(head, sizeof head);
    if (error == OsError::None)
        signature.assign(head, sizeof head);
    return error;
}

} // namespace kovra
