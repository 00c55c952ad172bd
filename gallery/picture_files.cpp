#include "gallery/picture_files.h"

#include <cctype>
#include <cstdio>

#include "device/file_paths.h"
#include "device/file_replacement.h"
#include "gallery/gallery_record.h"

namespace kovra::gallery {

namespace {

// Enough of the name for the owner to tell the files apart in a file manager.
constexpr std::size_t kLongestStem = 40;
constexpr std::uint64_t kFnvOffset = 0xcbf29ce484222325ull;
constexpr std::uint64_t kFnvPrime = 0x100000001b3ull;

std::uint64_t fnv1a(const std::string& bytes, std::uint64_t hash = kFnvOffset) {
    for (unsigned char c : bytes) {
        hash ^= c;
        hash *= kFnvPrime;
    }
    return hash;
}

std::string stemOf(const std::string& path) {
    std::string name = baseName(path);
    std::size_t dot = name.rfind('.');
    if (dot != std::string::npos)
        name.resize(dot);
    std::string stem;
    for (unsigned char c : name)
        if (std::isalnum(c) && stem.size() < kLongestStem)
            stem += static_cast<char>(c);
    return stem.empty() ? "video" : stem;
}

} // namespace

std::string pictureName(const std::string& videoPath, std::uint64_t size, std::int64_t modified,
                        const std::string& which, const std::string& extension) {
    std::string key = videoPath + '\n' + std::to_string(size) + '\n' + std::to_string(modified);
    char hash[20];
    std::snprintf(hash, sizeof hash, "%016llx", static_cast<unsigned long long>(fnv1a(key)));
    return stemOf(videoPath) + "-" + hash + "-" + which + "." + extension;
}

PictureBatch::PictureBatch(Platform& platform, std::string folder)
    : platform_(platform), folder_(std::move(folder)) {}

PictureBatch::~PictureBatch() {
    discard();
}

void PictureBatch::discard() {
    for (const Staged& staged : staged_)
        platform_.remove(staged.temporary.c_str());
    staged_.clear();
}

OsError PictureBatch::add(const std::string& name, const std::vector<std::uint8_t>& bytes) {
    Staged staged;
    staged.target = joinPath(folder_, name);
    staged.temporary = FileReplacement::temporaryPathFor(staged.target, platform_.processId());
    FileId file = 0;
    OsError error = platform_.open(staged.temporary.c_str(), OpenMode::CreateNew, file);
    if (error != OsError::None)
        return error;
    staged_.push_back(staged);
    error = platform_.write(file, bytes.data(), bytes.size());
    platform_.close(file);
    return error;
}

OsError PictureBatch::commit(std::string& failedName) {
    OsError error = OsError::None;
    if (!staged_.empty() && platform_.flushVolume(folder_.c_str()) != OsError::None) {
        for (const Staged& staged : staged_) {
            FileId file = 0;
            error = platform_.open(staged.temporary.c_str(), OpenMode::ReadWriteExclusive, file);
            if (error == OsError::None) {
                error = platform_.flush(file);
                platform_.close(file);
            }
            if (error != OsError::None) {
                failedName = staged.target;
                discard();
                return error;
            }
        }
    }
    // The names need no flush of their own but the last, whose rename flushes the folder that
    // holds them all.
    for (std::size_t i = 0; i < staged_.size(); ++i) {
        const Staged& staged = staged_[i];
        error = i + 1 < staged_.size()
                    ? platform_.replaceUnflushed(staged.temporary.c_str(), staged.target.c_str())
                    : platform_.replace(staged.temporary.c_str(), staged.target.c_str());
        if (error != OsError::None) {
            failedName = staged.target;
            staged_.erase(staged_.begin(), staged_.begin() + static_cast<std::ptrdiff_t>(i));
            discard();
            return error;
        }
    }
    staged_.clear();
    return OsError::None;
}

std::size_t removePicturesBut(Platform& platform, const std::string& folder,
                              const std::set<std::string>& keep) {
    std::vector<std::string> gone;
    platform.forEachEntry(folder.c_str(), [&](const FolderEntry& entry) {
        std::string name = entry.name;
        if (!entry.isLink && entry.kind == FileKind::File && name != GalleryRecord::kFileName &&
            keep.count(name) == 0)
            gone.push_back(name);
    });
    std::size_t removed = 0;
    for (const std::string& name : gone)
        if (platform.remove(joinPath(folder, name).c_str()) == OsError::None)
            ++removed;
    return removed;
}

} // namespace kovra::gallery
