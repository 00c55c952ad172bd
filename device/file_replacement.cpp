#include "device/file_replacement.h"

namespace kovra {

FileReplacement::FileReplacement(Platform& platform, const std::string& target)
    : platform_(platform), target_(target), temporary_(temporaryPathFor(target)) {
    openError_ = platform_.open(temporary_.c_str(), OpenMode::WriteTruncate, file_);
    open_ = openError_ == OsError::None;
}

FileReplacement::FileReplacement(Platform& platform, const std::string& target, CopyOf copy)
    : platform_(platform), target_(target), temporary_(temporaryPathFor(target)) {
    openError_ = platform_.copy(copy.source.c_str(), temporary_.c_str());
    if (openError_ == OsError::None)
        openError_ = platform_.open(temporary_.c_str(), OpenMode::ReadWriteExclusive, file_);
    open_ = openError_ == OsError::None;
    if (!open_)
        platform_.remove(temporary_.c_str()); // a cut copy, or none
}

FileReplacement::~FileReplacement() {
    discard();
}

OsError FileReplacement::write(const void* data, std::size_t size) {
    if (!open_)
        return openError_ == OsError::None ? OsError::Other : openError_;
    if (writeError_ == OsError::None)
        writeError_ = platform_.write(file_, data, size);
    return writeError_;
}

OsError FileReplacement::writeAt(std::uint64_t offset, const void* data, std::size_t size) {
    if (!open_)
        return openError_ == OsError::None ? OsError::Other : openError_;
    if (writeError_ == OsError::None)
        writeError_ = platform_.writeAt(file_, offset, data, size);
    return writeError_;
}

OsError FileReplacement::truncate(std::uint64_t size) {
    if (!open_)
        return openError_ == OsError::None ? OsError::Other : openError_;
    if (writeError_ == OsError::None)
        writeError_ = platform_.setSize(file_, size);
    return writeError_;
}

OsError FileReplacement::copyRange(FileId from, std::uint64_t offset, std::uint64_t size) {
    if (!open_)
        return openError_ == OsError::None ? OsError::Other : openError_;
    if (writeError_ == OsError::None)
        writeError_ = platform_.copyRange(from, offset, file_, size);
    return writeError_;
}

OsError FileReplacement::commit() {
    if (!open_)
        return openError_ == OsError::None ? OsError::Other : openError_;
    platform_.close(file_);
    open_ = false;
    OsError result = writeError_;
    if (result == OsError::None && keepModified_)
        result = platform_.setModified(temporary_.c_str(), modified_);
    if (result == OsError::None)
        result = platform_.replace(temporary_.c_str(), target_.c_str());
    if (result != OsError::None)
        platform_.remove(temporary_.c_str());
    temporary_.clear();
    return result;
}

void FileReplacement::discard() {
    if (!open_)
        return;
    platform_.close(file_);
    open_ = false;
    platform_.remove(temporary_.c_str());
}

} // namespace kovra
