#include "device/removable_mounts.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

namespace kovra {

namespace {

namespace fs = std::filesystem;

constexpr const char* kMountInfo = "/proc/self/mountinfo";
constexpr const char* kBlockDevices = "/sys/block";
constexpr const char* kDevicePrefix = "/dev/";
// Fields before the optional ones: id, parent, major:minor, root, mount point.
constexpr std::size_t kRootField = 3;
constexpr std::size_t kMountPointField = 4;

// The kernel writes space, tab, newline and backslash in paths as \040, \011, \012, \134.
std::string unescape(const std::string& text) {
    auto isOctal = [](char c) { return c >= '0' && c <= '7'; };
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 3 < text.size() && isOctal(text[i + 1]) &&
            isOctal(text[i + 2]) && isOctal(text[i + 3])) {
            out += static_cast<char>((text[i + 1] - '0') * 64 + (text[i + 2] - '0') * 8 +
                                     (text[i + 3] - '0'));
            i += 3;
            continue;
        }
        out += text[i];
    }
    return out;
}

std::string firstLine(const fs::path& file) {
    std::ifstream in(file);
    std::string line;
    std::getline(in, line);
    return line;
}

// The whole disk a block device belongs to: itself, or the disk whose folder holds it as a
// partition (/sys/block/sdb/sdb1).
std::string diskOf(const fs::path& blockRoot, const std::string& name) {
    std::error_code error;
    if (fs::is_directory(blockRoot / name, error))
        return name;
    for (const auto& disk : fs::directory_iterator(blockRoot, error))
        if (fs::is_directory(disk.path() / name, error))
            return disk.path().filename().string();
    return "";
}

// Why the disk counts as the recorder's card, or empty when it does not.
std::string removableReason(const fs::path& blockRoot, const std::string& disk) {
    // SD and MMC readers often report removable 0; their device type tells an SD card from
    // soldered-on eMMC.
    if (disk.rfind("mmcblk", 0) == 0) {
        std::string type = firstLine(blockRoot / disk / "device" / "type");
        return type == "MMC" ? "" : "SD card reader device " + disk;
    }
    if (firstLine(blockRoot / disk / "removable") == "1")
        return "removable disk " + disk;
    return "";
}

} // namespace

bool parseMountInfoLine(const std::string& line, MountEntry& entry) {
    std::istringstream in(line);
    std::vector<std::string> fields;
    for (std::string field; in >> field;)
        fields.push_back(field);
    auto separator = std::find(fields.begin(), fields.end(), "-");
    // After the separator: filesystem type, then the source.
    if (fields.size() <= kMountPointField || separator == fields.end() ||
        fields.end() - separator < 3)
        return false;
    entry.root = unescape(fields[kRootField]);
    entry.mountPoint = unescape(fields[kMountPointField]);
    entry.source = unescape(*(separator + 2));
    return true;
}

std::vector<RemovableMount> findRemovableMounts(const std::string& systemRoot) {
    fs::path blockRoot = fs::path(systemRoot + kBlockDevices);
    std::ifstream table(systemRoot + kMountInfo);
    std::vector<RemovableMount> found;
    for (std::string line; std::getline(table, line);) {
        MountEntry entry;
        if (!parseMountInfoLine(line, entry) || entry.root != "/" ||
            entry.source.rfind(kDevicePrefix, 0) != 0)
            continue;
        std::string name = entry.source.substr(std::string(kDevicePrefix).size());
        std::string disk = diskOf(blockRoot, name);
        std::string reason = disk.empty() ? "" : removableReason(blockRoot, disk);
        if (!reason.empty())
            found.push_back({entry.mountPoint, entry.source, reason});
    }
    std::sort(found.begin(), found.end(), [](const RemovableMount& a, const RemovableMount& b) {
        return a.mountPoint < b.mountPoint;
    });
    std::set<std::string> devices;
    found.erase(
        std::remove_if(found.begin(), found.end(),
                       [&](const RemovableMount& m) { return !devices.insert(m.device).second; }),
        found.end());
    return found;
}

} // namespace kovra
