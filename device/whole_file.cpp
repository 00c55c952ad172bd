#include "device/whole_file.h"

#include "device/file_replacement.h"
#include "platform/file.h"

namespace kovra {

bool readWholeFile(Platform& platform, const std::string& path, std::uint64_t largest,
                   std::string& text) {
    File file(platform, path.c_str(), OpenMode::ReadShared);
    std::uint64_t size = 0;
    if (!file.isOpen() || platform.fileSize(file.id(), size) != OsError::None || size == 0 ||
        size > largest)
        return false;
    text.assign(static_cast<std::size_t>(size), '\0');
    return file.read(text.data(), text.size()) == OsError::None;
}

OsError writeWholeFile(Platform& platform, const std::string& path, const std::string& text,
                       Naming naming) {
    FileReplacement file(platform, path);
    if (!file.isOpen())
        return file.openError();
    file.write(text.data(), text.size());
    return file.commit(naming);
}

} // namespace kovra
