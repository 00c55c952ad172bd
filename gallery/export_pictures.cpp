#include "gallery/export_pictures.h"

#include "device/file_paths.h"
#include "gallery/gallery_page.h"

namespace kovra::gallery {

ExportPictures::ExportPictures(Platform& platform, const std::string& dest)
    : platform_(platform), folder_(joinPath(dest, kPictureFolder)), ahead_(platform) {
    earlier_.load(platform, folder_);
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
    if (platform_.info(path.c_str(), info) != OsError::None ||
        stillShown(platform_, folder_, earlier_.find(path), info))
        return;
    ahead_.offer(path);
}

} // namespace kovra::gallery
