#include "device/video_files.h"

#include "device/file_paths.h"
#include "platform/file.h"

#include <algorithm>
#include <cctype>
#include <functional>

namespace kovra {

namespace {

constexpr int kDeepestFolder = 32;
constexpr const char* kVideoSuffix = ".avi";

bool isVideoName(const std::string& name) {
    std::size_t n = std::char_traits<char>::length(kVideoSuffix);
    if (name.size() <= n)
        return false;
    for (std::size_t i = 0; i < n; ++i)
        if (std::tolower(static_cast<unsigned char>(name[name.size() - n + i])) != kVideoSuffix[i])
            return false;
    return true;
}

} // namespace

VideoFileSource::VideoFileSource(Platform& platform, const std::string& path)
    : platform_(platform) {
    openError_ = platform_.open(path.c_str(), OpenMode::ReadShared, file_);
    if (openError_ != OsError::None)
        return;
    open_ = true;
    openError_ = platform_.fileSize(file_, size_);
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
    OsError error = platform_.readAt(file_, offset, buffer, n);
    if (error != OsError::None && readError_ == OsError::None)
        readError_ = error;
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

std::vector<std::string> findVideos(Platform& platform, const std::string& folder,
                                    const std::string& skip) {
    std::vector<std::string> videos;
    std::function<void(const std::string&, int)> walk = [&](const std::string& relative,
                                                            int depth) {
        if (depth > kDeepestFolder || (!skip.empty() && relative == skip))
            return;
        platform.forEachEntry(joinPath(folder, relative).c_str(), [&](const FolderEntry& entry) {
            std::string path = joinPath(relative, entry.name);
            if (entry.kind == FileKind::Folder)
                walk(path, depth + 1);
            else if (isVideoName(entry.name))
                videos.push_back(path);
        });
    };
    walk("", 0);
    std::sort(videos.begin(), videos.end());
    return videos;
}

} // namespace kovra
