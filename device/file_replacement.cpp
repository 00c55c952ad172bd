#include "device/file_replacement.h"

#include <algorithm>
#include <cstdlib>
#include <limits>
#include <optional>
#include <vector>

#include "device/file_paths.h"

namespace kovra {

namespace {

// How much is appended before the system is told to start writing it. A long copy is made in
// pieces of this size so that the storage starts on the first while the next is copied: the
// storage, not the copy, takes most of the time.
constexpr std::uint64_t kWriteBehind = 1 << 20;

OsError onTarget(OsError error) {
    return error.side() == OsError::Side::Either ? error.on(OsError::Side::Target) : error;
}

// The process number in a temporary file's name, "NAME.<pid>.kovra-tmp", for target's NAME;
// nothing for any other name.
std::optional<std::uint32_t> writerOf(const std::string& entry, const std::string& name) {
    const std::string suffix = FileReplacement::kTemporarySuffix;
    if (entry.size() <= name.size() + 1 + suffix.size() ||
        entry.compare(0, name.size(), name) != 0 || entry[name.size()] != '.' ||
        entry.compare(entry.size() - suffix.size(), suffix.size(), suffix) != 0)
        return std::nullopt;
    std::string digits =
        entry.substr(name.size() + 1, entry.size() - name.size() - 1 - suffix.size());
    if (digits.size() > std::numeric_limits<std::uint32_t>::digits10 + 1 ||
        digits.find_first_not_of("0123456789") != std::string::npos)
        return std::nullopt;
    std::uint64_t number = std::strtoull(digits.c_str(), nullptr, 10);
    if (number > std::numeric_limits<std::uint32_t>::max())
        return std::nullopt;
    return static_cast<std::uint32_t>(number);
}

} // namespace

OsError moveToFreeName(Platform& platform, const std::string& source, const NameFor& nameFor,
                       unsigned tries, std::string& named) {
    OsError error = OsError::Exists;
    for (unsigned attempt = 1; attempt <= tries && error == OsError::Exists; ++attempt) {
        named = nameFor(attempt);
        error = platform.moveToNewName(source.c_str(), named.c_str());
    }
    return error;
}

std::string FileReplacement::temporaryPathFor(const std::string& target, std::uint32_t processId) {
    return target + "." + std::to_string(processId) + kTemporarySuffix;
}

void FileReplacement::removeStale(Platform& platform, const std::string& target) {
    std::string name = baseName(target);
    std::string folder = target.substr(0, target.size() - name.size());
    if (name.empty())
        return;
    if (folder.empty())
        folder = ".";
    std::uint32_t self = platform.processId();
    std::vector<std::string> stale;
    platform.forEachEntry(folder.c_str(), [&](const FolderEntry& entry) {
        std::optional<std::uint32_t> writer = writerOf(entry.name, name);
        if (writer && *writer != self && !entry.isLink && entry.kind == FileKind::File &&
            !platform.processRunning(*writer))
            stale.push_back(entry.name);
    });
    for (const std::string& leftover : stale) {
        // Looked at again just before: what is there now must still be a file, not a link.
        std::string path = joinPath(folder, leftover);
        FileInfo info;
        if (platform.linkInfo(path.c_str(), info) == OsError::None && info.kind == FileKind::File)
            platform.remove(path.c_str());
    }
}

FileReplacement::FileReplacement(Platform& platform, const std::string& target)
    : platform_(platform), target_(target),
      temporary_(temporaryPathFor(target, platform.processId())) {
    platform_.deferInterrupts();
    deferring_ = true;
    openError_ = platform_.open(temporary_.c_str(), OpenMode::CreateNew, file_);
    // One this process left before (its number used again) is no one else's.
    if (openError_ == OsError::Exists && platform_.remove(temporary_.c_str()) == OsError::None)
        openError_ = platform_.open(temporary_.c_str(), OpenMode::CreateNew, file_);
    openError_ = openError_ == OsError::None ? openError_ : onTarget(openError_);
    open_ = openError_ == OsError::None;
    if (open_)
        removeStale(platform_, target_);
    if (!open_)
        release();
}

FileReplacement::~FileReplacement() {
    discard();
}

OsError FileReplacement::failed(OsError error) {
    if (writeError_ == OsError::None && error != OsError::None)
        writeError_ = onTarget(error);
    return writeError_;
}

void FileReplacement::appended(std::uint64_t size) {
    size_ += size;
    if (size_ - flushStarted_ < kWriteBehind)
        return;
    platform_.startFlush(file_, flushStarted_, size_ - flushStarted_);
    flushStarted_ = size_;
}

void FileReplacement::startFlush() {
    if (!open_ || flushed_ || writeError_ != OsError::None || size_ == flushStarted_)
        return;
    platform_.startFlush(file_, flushStarted_, size_ - flushStarted_);
    flushStarted_ = size_;
}

OsError FileReplacement::write(const void* data, std::size_t size) {
    if (!open_)
        return openError_ == OsError::None ? OsError(OsError::Other) : openError_;
    if (writeError_ != OsError::None)
        return writeError_;
    if (failed(platform_.write(file_, data, size)) == OsError::None)
        appended(size);
    return writeError_;
}

OsError FileReplacement::writeAt(std::uint64_t offset, const void* data, std::size_t size) {
    if (!open_)
        return openError_ == OsError::None ? OsError(OsError::Other) : openError_;
    if (writeError_ != OsError::None)
        return writeError_;
    return failed(platform_.writeAt(file_, offset, data, size));
}

OsError FileReplacement::truncate(std::uint64_t size) {
    if (!open_)
        return openError_ == OsError::None ? OsError(OsError::Other) : openError_;
    if (writeError_ != OsError::None)
        return writeError_;
    if (failed(platform_.setSize(file_, size)) == OsError::None) {
        cutShorter_ = cutShorter_ || size < size_;
        size_ = size;
        flushStarted_ = std::min(flushStarted_, size);
    }
    return writeError_;
}

OsError FileReplacement::copyRange(FileId from, std::uint64_t offset, std::uint64_t size) {
    if (!open_)
        return openError_ == OsError::None ? OsError(OsError::Other) : openError_;
    if (writeError_ != OsError::None)
        return writeError_;
    while (size > 0) {
        std::uint64_t piece = std::min(size, kWriteBehind - (size_ - flushStarted_) % kWriteBehind);
        if (failed(platform_.copyRange(from, offset, file_, piece)) != OsError::None)
            break;
        appended(piece);
        offset += piece;
        size -= piece;
    }
    return writeError_;
}

OsError FileReplacement::commit(Naming naming) {
    flushData();
    return name(naming);
}

OsError FileReplacement::unopened() const {
    if (writeError_ != OsError::None)
        return writeError_;
    return openError_ == OsError::None ? OsError(OsError::Other) : openError_;
}

OsError FileReplacement::flushData() {
    if (!open_)
        return unopened();
    if (flushed_)
        return writeError_;
    if (writeError_ == OsError::None && platform_.interrupted())
        writeError_ = OsError::Interrupted;
    // FAT through FUSE (fusefat) keeps the end a file had before it was cut once it is
    // written again: the output would end in bytes of the copy that was cut away. Cut at its
    // end as well, which every file system keeps.
    if (writeError_ == OsError::None && cutShorter_)
        failed(platform_.setSize(file_, size_));
    // The time goes with the bytes where the file system keeps it through the move, so that
    // one flush makes both durable.
    if (writeError_ == OsError::None && keepModified_)
        failed(platform_.setFileModified(file_, modified_));
    // The bytes reach the storage before the name does: a power cut after the move must not
    // leave the target empty or short.
    if (writeError_ == OsError::None)
        failed(platform_.flush(file_));
    platform_.close(file_);
    flushed_ = true;
    if (writeError_ != OsError::None)
        discard();
    return writeError_;
}

OsError FileReplacement::moveOver(Naming naming) {
    switch (naming) {
    case Naming::Durable:
        break;
    case Naming::FolderFlushedLater:
        return platform_.replaceFlushedLater(temporary_.c_str(), target_.c_str());
    case Naming::Unflushed:
        return platform_.replaceUnflushed(temporary_.c_str(), target_.c_str());
    }
    return platform_.replace(temporary_.c_str(), target_.c_str());
}

OsError FileReplacement::name(Naming naming) {
    if (open_ && !flushed_)
        flushData();
    if (!open_)
        return unopened();
    return settle(moveOver(naming), target_);
}

OsError FileReplacement::commitToFreeName(const NameFor& nameFor, unsigned tries,
                                          std::string& named) {
    if (open_ && !flushed_)
        flushData();
    if (!open_)
        return unopened();
    return settle(moveToFreeName(platform_, temporary_, nameFor, tries, named), named);
}

OsError FileReplacement::settle(OsError error, const std::string& named) {
    open_ = false;
    OsError result = onTarget(error);
    FileInfo moved;
    if (result != OsError::None)
        platform_.remove(temporary_.c_str());
    else if (keepModified_ &&
             (platform_.info(named.c_str(), moved) != OsError::None || moved.modified != modified_))
        result = onTarget(platform_.setModified(named.c_str(), modified_));
    temporary_.clear();
    release();
    return result;
}

void FileReplacement::abandon(OsError why) {
    failed(why);
    discard();
}

void FileReplacement::discard() {
    if (open_) {
        if (!flushed_)
            platform_.close(file_);
        open_ = false;
        platform_.remove(temporary_.c_str());
    }
    release();
}

// Last, once the temporary file is gone: an interrupt that came meanwhile ends the program now.
void FileReplacement::release() {
    if (deferring_) {
        deferring_ = false;
        platform_.allowInterrupts();
    }
}

TargetState targetState(Platform& platform, const std::string& path) {
    FileInfo info;
    OsError error = platform.linkInfo(path.c_str(), info);
    // Under a file nothing is there either: the write that follows says why it cannot be.
    if (error == OsError::NotFound || error == OsError::NotAFolder)
        return TargetState::Absent;
    if (error != OsError::None)
        return TargetState::Other; // what cannot be looked at is not replaced either
    switch (info.kind) {
    case FileKind::File:
        return TargetState::File;
    case FileKind::Folder:
        return TargetState::Folder;
    case FileKind::Link:
        return TargetState::Link;
    case FileKind::Other:
        break;
    }
    return TargetState::Other;
}

} // namespace kovra
