#include "platform/posix/mounted_media.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <set>

#include "platform/posix/descriptor.h"
#include "platform/posix/errors.h"
#include "platform/posix/retry.h"

namespace kovra::posix {

namespace {

constexpr const char* kMountInfo = "/proc/self/mountinfo";
constexpr const char* kBlockDevices = "/sys/block";
constexpr const char* kDevicePrefix = "/dev/";
constexpr const char* kCardReaderPrefix = "mmcblk";
constexpr const char* kSolderedType = "MMC"; // eMMC; an SD card in a reader says "SD"
constexpr const char* kRemovable = "1";
// Fields before the optional ones: id, parent, major:minor, root, mount point.
constexpr std::size_t kRootField = 3;
constexpr std::size_t kMountPointField = 4;
// After the separator: the filesystem type, then the source.
constexpr std::size_t kSourceAfterSeparator = 2;
constexpr std::size_t kReadPiece = 4096;
constexpr std::size_t kOctalDigits = 3;

// The kernel writes space, tab, newline and backslash in paths as \040, \011, \012, \134.
std::string unescape(const std::string& text) {
    auto isOctal = [](char c) { return c >= '0' && c <= '7'; };
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + kOctalDigits < text.size() && isOctal(text[i + 1]) &&
            isOctal(text[i + 2]) && isOctal(text[i + 3])) {
            out += static_cast<char>((text[i + 1] - '0') * 64 + (text[i + 2] - '0') * 8 +
                                     (text[i + 3] - '0'));
            i += kOctalDigits;
            continue;
        }
        out += text[i];
    }
    return out;
}

// The whole file; false when it cannot be opened or read.
bool readFile(const std::string& path, std::string& text, int& code) {
    Descriptor fd(
        retryOnInterrupt([&] { return ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK); }));
    if (!fd.isOpen()) {
        code = errno;
        return false;
    }
    text.clear();
    char piece[kReadPiece];
    for (;;) {
        ssize_t got = retryOnInterrupt([&] { return ::read(fd.get(), piece, sizeof piece); });
        if (got <= 0) {
            code = got < 0 ? errno : 0;
            return got == 0;
        }
        text.append(piece, static_cast<std::size_t>(got));
    }
}

std::string firstLine(const std::string& path) {
    std::string text;
    int code = 0;
    if (!readFile(path, text, code))
        return "";
    return text.substr(0, text.find('\n'));
}

bool isFolder(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// The whole disk a block device belongs to: itself, or the disk whose folder holds it as a
// partition (/sys/block/sdb/sdb1).
std::string diskOf(const std::string& blockRoot, const std::string& name) {
    if (isFolder(blockRoot + "/" + name))
        return name;
    DIR* disks = opendir(blockRoot.c_str());
    if (!disks)
        return "";
    std::string found;
    while (dirent* disk = readdir(disks)) {
        std::string diskName = disk->d_name;
        if (diskName != "." && diskName != ".." &&
            isFolder(blockRoot + "/" + diskName + "/" + name)) {
            found = diskName;
            break;
        }
    }
    closedir(disks);
    return found;
}

// Why the disk counts as the recorder's card, or empty when it does not.
std::string removableReason(const std::string& blockRoot, const std::string& disk) {
    std::string folder = blockRoot + "/" + disk;
    // SD and MMC readers often report removable 0; their device type tells an SD card from
    // soldered-on eMMC.
    if (disk.rfind(kCardReaderPrefix, 0) == 0)
        return firstLine(folder + "/device/type") == kSolderedType
                   ? ""
                   : "SD card reader device " + disk;
    if (firstLine(folder + "/removable") == kRemovable)
        return "removable disk " + disk;
    return "";
}

std::vector<std::string> fieldsOf(const std::string& line) {
    std::vector<std::string> fields;
    std::size_t at = 0;
    while (at < line.size()) {
        std::size_t start = line.find_first_not_of(" \t", at);
        if (start == std::string::npos)
            break;
        std::size_t end = line.find_first_of(" \t", start);
        if (end == std::string::npos)
            end = line.size();
        fields.push_back(line.substr(start, end - start));
        at = end;
    }
    return fields;
}

} // namespace

bool parseMountInfoLine(const std::string& line, MountEntry& entry) {
    std::vector<std::string> fields = fieldsOf(line);
    auto separator = std::find(fields.begin(), fields.end(), "-");
    if (fields.size() <= kMountPointField || separator == fields.end() ||
        static_cast<std::size_t>(fields.end() - separator) <= kSourceAfterSeparator)
        return false;
    entry.root = unescape(fields[kRootField]);
    entry.mountPoint = unescape(fields[kMountPointField]);
    entry.source = unescape(*(separator + kSourceAfterSeparator));
    return true;
}

OsError findMountedMedia(const std::string& systemRoot, std::vector<RemovableMedium>& media) {
    media.clear();
    std::string table;
    int code = 0;
    if (!readFile(systemRoot + kMountInfo, table, code))
        return fromErrno(code);
    std::string blockRoot = systemRoot + kBlockDevices;
    const std::string devicePrefix = kDevicePrefix;
    std::size_t at = 0;
    while (at < table.size()) {
        std::size_t end = table.find('\n', at);
        if (end == std::string::npos)
            end = table.size();
        MountEntry entry;
        if (parseMountInfoLine(table.substr(at, end - at), entry) && entry.root == "/" &&
            entry.source.rfind(devicePrefix, 0) == 0) {
            std::string disk = diskOf(blockRoot, entry.source.substr(devicePrefix.size()));
            std::string reason = disk.empty() ? "" : removableReason(blockRoot, disk);
            if (!reason.empty())
                media.push_back({entry.mountPoint, entry.source, reason});
        }
        at = end + 1;
    }
    // Sorted before the duplicates go: a device stays at the first of its mount points.
    std::stable_sort(media.begin(), media.end(),
                     [](const RemovableMedium& a, const RemovableMedium& b) {
                         return a.mountPoint < b.mountPoint;
                     });
    std::set<std::string> devices;
    media.erase(
        std::remove_if(media.begin(), media.end(),
                       [&](const RemovableMedium& m) { return !devices.insert(m.device).second; }),
        media.end());
    return OsError::None;
}

OsError findMountAt(const std::string& systemRoot, const std::string& folder, bool& mounted) {
    mounted = false;
    std::string table;
    int code = 0;
    if (!readFile(systemRoot + kMountInfo, table, code))
        return fromErrno(code);
    std::string wanted = folder;
    while (wanted.size() > 1 && wanted.back() == '/')
        wanted.pop_back();
    std::size_t at = 0;
    while (at < table.size() && !mounted) {
        std::size_t end = table.find('\n', at);
        if (end == std::string::npos)
            end = table.size();
        MountEntry entry;
        mounted =
            parseMountInfoLine(table.substr(at, end - at), entry) && entry.mountPoint == wanted;
        at = end + 1;
    }
    return OsError::None;
}

} // namespace kovra::posix
