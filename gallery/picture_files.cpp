#include "gallery/picture_files.h"

#include <cctype>
#include <cstdio>

#include "device/file_paths.h"
#include "device/file_replacement.h"

namespace kovra::gallery {

namespace {

// Enough of the name for the owner to tell the files apart in a file manager.
constexpr std::size_t kLongestStem = 40;
constexpr std::uint64_t kFnvOffset = 0xcbf29ce484222325ull;
constexpr std::uint64_t kFnvPrime = 0x100000001b3ull;
constexpr std::size_t kHashDigits = 16;
constexpr const char* kExtensions[] = {"jpg", "png"};

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
    char hash[kHashDigits + 1];
    std::snprintf(hash, sizeof hash, "%016llx", static_cast<unsigned long long>(fnv1a(key)));
    return stemOf(videoPath) + "-" + hash + "-" + which + "." + extension;
}

// stem "-" hash "-" ("cover" or a frame's number) "." extension, as pictureName() writes it.
bool isPictureName(const std::string& name) {
    auto isHexDigit = [](unsigned char c) { return std::isdigit(c) || (c >= 'a' && c <= 'f'); };
    std::size_t dot = name.rfind('.');
    if (dot == std::string::npos)
        return false;
    std::string extension = name.substr(dot + 1);
    bool known = false;
    for (const char* e : kExtensions)
        known = known || extension == e;
    std::size_t second = name.rfind('-', dot);
    if (!known || second == std::string::npos || second < kHashDigits + 2)
        return false;
    std::size_t first = second - kHashDigits - 1;
    std::string stem = name.substr(0, first), hash = name.substr(first + 1, kHashDigits);
    std::string which = name.substr(second + 1, dot - second - 1);
    bool stemOk = !stem.empty() && stem.size() <= kLongestStem && name[first] == '-';
    for (unsigned char c : stem)
        stemOk = stemOk && std::isalnum(c);
    bool hashOk = true;
    for (unsigned char c : hash)
        hashOk = hashOk && isHexDigit(c);
    bool whichOk = which == "cover" || (!which.empty() && which.size() <= 3);
    if (which != "cover")
        for (unsigned char c : which)
            whichOk = whichOk && std::isdigit(c);
    return stemOk && hashOk && whichOk;
}

PictureBatch::PictureBatch(Platform& platform, std::string folder, Writeback writeback)
    : platform_(platform), folder_(std::move(folder)), writeback_(writeback) {}

PictureBatch::~PictureBatch() {
    discard();
}

void PictureBatch::holding() {
    if (!deferring_)
        platform_.deferInterrupts();
    deferring_ = true;
}

// Last, once no file is held: an interrupt that came meanwhile ends the program now.
void PictureBatch::released() {
    if (deferring_ && staged_.empty()) {
        deferring_ = false;
        platform_.allowInterrupts();
    }
}

void PictureBatch::discard() {
    for (const Staged& staged : staged_)
        platform_.remove(staged.temporary.c_str());
    staged_.clear();
    released();
}

void PictureBatch::takeFrom(PictureBatch& other) {
    if (other.staged_.empty())
        return;
    holding();
    staged_.insert(staged_.end(), other.staged_.begin(), other.staged_.end());
    other.staged_.clear();
    other.released();
}

OsError PictureBatch::add(const std::string& name, const std::vector<std::uint8_t>& bytes) {
    Staged staged;
    staged.target = joinPath(folder_, name);
    staged.temporary = FileReplacement::temporaryPathFor(staged.target, platform_.processId());
    holding();
    FileId file = 0;
    OsError error = platform_.open(staged.temporary.c_str(), OpenMode::CreateNew, file);
    if (error != OsError::None) {
        released();
        return error;
    }
    error = platform_.write(file, bytes.data(), bytes.size());
    if (error == OsError::None && writeback_ == Writeback::AtOnce)
        platform_.startFlush(file, 0, bytes.size());
    platform_.close(file);
    // A picture cut short is never given its name: the record would not name it, and nothing
    // would ever remove it.
    if (error != OsError::None)
        platform_.remove(staged.temporary.c_str());
    else
        staged_.push_back(staged);
    released();
    return error;
}

OsError PictureBatch::commit(std::string& failedName) {
    OsError error = OsError::None;
    if (!staged_.empty() && platform_.interrupted()) {
        failedName = staged_.front().target;
        discard();
        return OsError::Interrupted;
    }
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
    released();
    return OsError::None;
}

std::size_t removePicturesBut(Platform& platform, const std::string& folder,
                              const std::set<std::string>& ours,
                              const std::set<std::string>& keep) {
    std::size_t removed = 0;
    for (const std::string& name : ours) {
        if (keep.count(name) != 0 || !isPictureName(name))
            continue;
        std::string path = joinPath(folder, name);
        FileInfo info;
        if (platform.linkInfo(path.c_str(), info) == OsError::None && info.isFile() &&
            platform.remove(path.c_str()) == OsError::None)
            ++removed;
    }
    return removed;
}

} // namespace kovra::gallery
