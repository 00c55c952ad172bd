#include "device/video_files.h"

#include <vector>

#include "platform/file.h"

namespace kovra {

VideoFileSource::VideoFileSource(Platform& platform, const std::string& path)
    : platform_(platform), path_(path) {
    openError_ = platform_.openSized(path.c_str(), OpenMode::ReadShared, file_, size_);
    if (openError_ != OsError::None) {
        openError_ = openError_.on(OsError::Side::Source);
        size_ = 0;
        return;
    }
    open_ = true;
}

VideoFileSource::~VideoFileSource() {
    if (open_)
        platform_.close(file_);
}

bool VideoFileSource::readAt(std::uint64_t offset, void* buffer, std::size_t n) {
    if (openError_ != OsError::None || offset > size_ || n > size_ - offset)
        return false;
    if (n == 0)
        return true;
    bytesRead_ += n;
    OsError error = platform_.readAt(file_, offset, buffer, n);
    if (error != OsError::None && readError_ == OsError::None)
        readError_ = error.on(OsError::Side::Source);
    return error == OsError::None;
}

void VideoFileSource::readEach(avi::ReadRequest* requests, std::size_t count) {
    std::vector<ReadPiece> pieces;
    std::vector<std::size_t> asked;
    pieces.reserve(count);
    asked.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        avi::ReadRequest& request = requests[i];
        request.read = openError_ == OsError::None && request.offset <= size_ &&
                       request.n <= size_ - request.offset;
        if (!request.read || request.n == 0)
            continue;
        pieces.push_back({request.offset, request.buffer, request.n, OsError::None});
        asked.push_back(i);
        bytesRead_ += request.n;
    }
    if (pieces.empty())
        return;
    platform_.readAtMany(file_, pieces.data(), pieces.size());
    for (std::size_t k = 0; k < pieces.size(); ++k) {
        OsError error = pieces[k].error;
        if (error != OsError::None && readError_ == OsError::None)
            readError_ = error.on(OsError::Side::Source);
        requests[asked[k]].read = error == OsError::None;
    }
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
