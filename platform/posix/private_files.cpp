#include "platform/private_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <vector>

#include "platform/platform.h"
#include "platform/posix/errors.h"

namespace kovra {

namespace {

constexpr mode_t kOwnerReadWrite = 0600;
constexpr const char* kFolderTemplate = "kovra-XXXXXX";
constexpr std::size_t kMostTempPath = 4096;

} // namespace

OsError makePrivateFolder(std::string& folder) {
    std::vector<char> temp(kMostTempPath);
    OsError error = systemPlatform().tempPath(temp.data(), temp.size());
    if (error != OsError::None)
        return error;
    std::string pattern = std::string(temp.data()) + kFolderTemplate;
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    // mkdtemp makes it 0700 whatever the umask says.
    if (!mkdtemp(name.data()))
        return posix::lastError();
    folder = name.data();
    return OsError::None;
}

OsError writePrivateFile(const std::string& path, const std::string& text) {
    int file =
        ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, kOwnerReadWrite);
    if (file < 0)
        return posix::lastError();
    std::size_t written = 0;
    while (written < text.size()) {
        ssize_t n = ::write(file, text.data() + written, text.size() - written);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            OsError error = n < 0 ? posix::lastError() : OsError(OsError::ShortWrite);
            ::close(file);
            ::unlink(path.c_str());
            return error;
        }
        written += static_cast<std::size_t>(n);
    }
    if (::close(file) != 0) {
        OsError error = posix::lastError();
        ::unlink(path.c_str());
        return error;
    }
    return OsError::None;
}

OsError removeFolder(const std::string& folder) {
    return ::rmdir(folder.c_str()) == 0 ? OsError::None : posix::lastError();
}

OsError savedVideosFolder(std::string& folder) {
    const char* home = std::getenv("HOME");
    if (!home || !*home)
        return OsError::NotFound;
    folder = std::string(home) + "/Videos/kovra";
    return OsError::None;
}

} // namespace kovra
