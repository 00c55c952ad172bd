#include "gallery/export_pictures.h"

#include "device/file_paths.h"
#include "gallery/gallery_page.h"

namespace kovra::gallery {

ExportPictures::ExportPictures(Platform& platform, const std::string& dest)
    : platform_(platform), folder_(joinPath(dest, kPictureFolder)),
      ahead_(platform, PictureSizes(), this) {
    earlier_.load(platform, folder_);
}

ExportPictures::~ExportPictures() {
    ahead_.stop();
    std::lock_guard<std::mutex> lock(mutex_);
    shown_.clear();
    removeFolderIfNew();
}

void ExportPictures::removeFolderIfNew() {
    // Fails, and so keeps it, once the gallery has put a file in it.
    if (folderWasNew_)
        platform_.removeEmptyFolder(folder_.c_str());
}

void ExportPictures::written(const std::string& target, const std::string& temporary,
                             const FileInfo& becomes) {
    // Where a file being read cannot be moved, the copy is read only once it has its name.
    if (!platform_.movesOpenFiles() ||
        stillShown(platform_, folder_, earlier_.find(target), becomes))
        return;
    if (ahead_.offer(target, temporary, becomes))
        offered_.insert(target);
}

void ExportPictures::finished(const std::string& path) {
    if (offered_.count(path) != 0)
        return;
    FileInfo info;
    // One it cannot look at is looked at again by the gallery, which says why.
    if (platform_.info(path.c_str(), info) != OsError::None)
        return;
    if (stillShown(platform_, folder_, earlier_.find(path), info)) {
        foundShown_[path] = info;
        return;
    }
    ahead_.offer(path);
}

bool ExportPictures::foundShown(const std::string& path, const FileInfo& now) const {
    auto found = foundShown_.find(path);
    return found != foundShown_.end() && found->second.size == now.size &&
           found->second.modified == now.modified;
}

bool ExportPictures::took(const std::string& path, const FileInfo& info, VideoPictures& pictures) {
    // Interrupted, the export writes no gallery: nothing more is written for it.
    if (platform_.interrupted())
        return true;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        // The gallery makes its folders in DEST, which the export has made, and says what fails.
        if (!madeFolder_) {
            FileInfo there;
            bool absent = platform_.linkInfo(folder_.c_str(), there) == OsError::NotFound;
            if (platform_.makeFolder(folder_.c_str()) != OsError::None)
                return false;
            madeFolder_ = true;
            folderWasNew_ = absent;
        }
    }
    Shown shown;
    shown.info = info;
    shown.pictures =
        std::make_unique<PictureBatch>(platform_, folder_, PictureBatch::Writeback::AtOnce);
    shown.shown = showVideo(platform_, path, info, pictures, *shown.pictures, folder_);
    std::lock_guard<std::mutex> lock(mutex_);
    shown_[path] = std::move(shown);
    return true;
}

bool ExportPictures::holdsFiles() const {
    std::lock_guard<std::mutex> lock(mutex_);
    for (const auto& entry : shown_)
        if (!entry.second.pictures->empty())
            return true;
    return false;
}

// Each video's pictures removed with it: none is handed over without its pictures.
void ExportPictures::interrupted() {
    std::lock_guard<std::mutex> lock(mutex_);
    shown_.clear();
    removeFolderIfNew();
}

std::optional<ShownVideo> ExportPictures::take(const std::string& path, const FileInfo& now,
                                               PictureBatch& batch) {
    std::lock_guard<std::mutex> lock(mutex_);
    auto found = shown_.find(path);
    if (found == shown_.end())
        return std::nullopt;
    Shown shown = std::move(found->second);
    shown_.erase(found);
    if (shown.info.size != now.size || shown.info.modified != now.modified)
        return std::nullopt;
    batch.takeFrom(*shown.pictures);
    return std::move(shown.shown);
}

} // namespace kovra::gallery
