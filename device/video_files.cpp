#include "device/video_files.h"

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
