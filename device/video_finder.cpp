#include "device/video_finder.h"

#include <algorithm>
#include <cctype>
#include <functional>

#include "device/file_paths.h"
#include "platform/names.h"

namespace kovra {

namespace {

constexpr const char* kVideoSuffix = ".avi";

// Real paths compare as text: the platform writes them one way. Only a separator ends the
// folder's name: on POSIX "/media/card\x.avi" lies beside "/media/card", not in it.
bool isInside(const std::string& path, const std::string& folder) {
    if (path == folder)
        return true;
    if (path.size() <= folder.size() || path.compare(0, folder.size(), folder) != 0)
        return false;
    char last = folder.back(), next = path[folder.size()];
    return isPathSeparator(last) || isPathSeparator(next);
}

class Search {
  public:
    Search(FileSystem& files, const std::string& folder, const VideoSearchLimits& limits)
        : files_(files), folder_(folder), limits_(limits) {
        if (files_.realPath(folder.c_str(), real_) != OsError::None)
            real_.clear();
    }

    FoundVideos run() {
        walk("", 0);
        std::sort(found_.videos.begin(), found_.videos.end());
        return std::move(found_);
    }

  private:
    void pass(const std::string& relative, PassedOver why, OsError error = OsError::None) {
        found_.passedOver.push_back({relative, why, error});
    }

    // A folder enters the walk once, by what it is, not by the path that reached it.
    bool firstVisit(const std::string& path) {
        FileIdentity identity;
        if (files_.identity(path.c_str(), identity) != OsError::None)
            return true;
        if (std::find(walked_.begin(), walked_.end(), identity) != walked_.end())
            return false;
        walked_.push_back(identity);
        return true;
    }

    // A link is followed only where it leads to something inside the folder searched.
    bool leadsInside(const std::string& path) {
        std::string real;
        return !real_.empty() && files_.realPath(path.c_str(), real) == OsError::None &&
               isInside(real, real_);
    }

    void walk(const std::string& relative, int depth) {
        std::string path = joinPath(folder_, relative);
        if (!firstVisit(path))
            return pass(relative, PassedOver::WalkedAlready);
        if (depth > limits_.deepestFolder)
            return pass(relative, PassedOver::TooDeep);
        std::vector<std::string> folders;
        OsError error = files_.forEachEntry(path.c_str(), [&](const FolderEntry& entry) {
            if (stopped_)
                return;
            std::string entryPath = joinPath(relative, entry.name);
            if (++entries_ > limits_.mostEntries) {
                stopped_ = true;
                return pass(relative, PassedOver::TooMany);
            }
            if (entry.kind != FileKind::Folder && !isVideoName(entry.name))
                return;
            if (entry.isLink && !leadsInside(joinPath(folder_, entryPath)))
                return pass(entryPath, PassedOver::LinkOutside);
            if (entry.kind == FileKind::Folder)
                folders.push_back(entryPath);
            else if (entry.kind == FileKind::File)
                found_.videos.push_back(entryPath);
            else
                pass(entryPath, PassedOver::NotAFile);
        });
        if (error != OsError::None)
            return pass(relative, PassedOver::Unlisted, error);
        for (const std::string& sub : folders)
            if (!stopped_)
                walk(sub, depth + 1);
    }

    FileSystem& files_;
    std::string folder_, real_;
    VideoSearchLimits limits_;
    FoundVideos found_;
    std::vector<FileIdentity> walked_;
    std::size_t entries_ = 0;
    bool stopped_ = false;
};

} // namespace

bool isVideoName(const std::string& name) {
    std::size_t n = std::char_traits<char>::length(kVideoSuffix);
    if (name.size() <= n)
        return false;
    for (std::size_t i = 0; i < n; ++i)
        if (std::tolower(static_cast<unsigned char>(name[name.size() - n + i])) != kVideoSuffix[i])
            return false;
    return true;
}

FoundVideos findVideos(FileSystem& files, const std::string& folder,
                       const VideoSearchLimits& limits) {
    return Search(files, folder, limits).run();
}

} // namespace kovra
