#include "gallery/picture_files.h"

#include <cctype>
#include <cstdio>

#include "device/file_paths.h"
#include "device/file_replacement.h"
#include "gallery/gallery_record.h"
#include "platform/forwarding_platform.h"

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

// Forcing each of some thousands of small files, and the folder they are named in, to the
// storage would cost most of the gallery's time; the record notes each picture's size, which a
// rerun checks.
class PicturePlatform final : public ForwardingPlatform {
  public:
    explicit PicturePlatform(Platform& real) : ForwardingPlatform(real) {}
    OsError flush(FileId) override { return OsError::None; }
    void startFlush(FileId, std::uint64_t, std::uint64_t) override {}
    OsError replace(const char* source, const char* target) override {
        return replaceUnflushed(source, target);
    }
};

} // namespace

std::string pictureName(const std::string& videoPath, std::uint64_t size, std::int64_t modified,
                        const std::string& which, const std::string& extension) {
    std::string key = videoPath + '\n' + std::to_string(size) + '\n' + std::to_string(modified);
    char hash[20];
    std::snprintf(hash, sizeof hash, "%016llx", static_cast<unsigned long long>(fnv1a(key)));
    return stemOf(videoPath) + "-" + hash + "-" + which + "." + extension;
}

OsError writePicture(Platform& platform, const std::string& folder, const std::string& name,
                     const std::vector<std::uint8_t>& bytes) {
    PicturePlatform pictures(platform);
    FileReplacement file(pictures, joinPath(folder, name));
    if (!file.isOpen())
        return file.openError();
    file.write(bytes.data(), bytes.size());
    return file.commit();
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
