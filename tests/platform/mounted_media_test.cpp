// Which mounted filesystems count as the recorder's card on Linux, from a fixture tree of
// mount table and sysfs files that the platform reads as its system root.
#include "platform/posix/mounted_media.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "tests/support/scratch_dir.h"

namespace kovra {
namespace {

namespace fs = std::filesystem;

class MountedMedia : public ::testing::Test {
  protected:
    ~MountedMedia() override { platform.setSystemRoot(""); }

    Platform& platform = systemPlatform();
    test::ScratchDir root;

    void disk(const std::string& name, const std::string& removable,
              const std::vector<std::string>& partitions = {}, const std::string& type = "") {
        fs::path folder = root.path() / "sys/block" / name;
        fs::create_directories(folder);
        std::ofstream(folder / "removable") << removable << '\n';
        for (const std::string& partition : partitions)
            fs::create_directories(folder / partition);
        if (!type.empty()) {
            fs::create_directories(folder / "device");
            std::ofstream(folder / "device/type") << type << '\n';
        }
    }
    void mounts(const std::vector<std::string>& lines) {
        fs::create_directories(root.path() / "proc/self");
        std::ofstream table(root.path() / "proc/self/mountinfo");
        for (const std::string& line : lines)
            table << line << '\n';
    }
    std::vector<std::string> found(OsError expected = OsError::None) {
        platform.setSystemRoot(root.path().string());
        std::vector<RemovableMedium> media;
        EXPECT_EQ(platform.removableMedia(media), expected);
        std::vector<std::string> points;
        for (const RemovableMedium& m : media)
            points.push_back(m.mountPoint + " " + m.device);
        return points;
    }
};

std::string line(int id, const std::string& root, const std::string& point,
                 const std::string& source, const std::string& type = "vfat") {
    return std::to_string(id) + " 1 8:17 " + root + " " + point + " rw,nosuid shared:9 - " + type +
           " " + source + " rw";
}

// Guards against cards missed (SD readers report removable 0) or fixed, loop and eMMC disks
// taken for the card, bind mounts counted twice, and escaped mount points left escaped.
TEST_F(MountedMedia, TellsCardsFromOtherDisks) {
    disk("sda", "0", {"sda1", "sda2"});
    disk("sdb", "1", {"sdb1"});
    disk("mmcblk0", "0", {"mmcblk0p1"}, "SD");
    disk("mmcblk1", "0", {"mmcblk1p1"}, "MMC");
    disk("loop0", "0");
    mounts({
        line(20, "/", "/", "/dev/sda2", "ext4"),
        line(21, "/", "/boot/efi", "/dev/sda1"),
        line(22, "/", "/media/user/USB\\040STICK", "/dev/sdb1"),
        line(23, "/", "/media/user/CARD", "/dev/mmcblk0p1"),
        line(24, "/DCIM", "/srv/videos", "/dev/mmcblk0p1"),
        line(25, "/", "/mnt/card-again", "/dev/mmcblk0p1"),
        line(26, "/", "/mnt/image", "/dev/loop0", "iso9660"),
        line(27, "/", "/mnt/emmc", "/dev/mmcblk1p1", "ext4"),
        line(28, "/", "/proc", "proc", "proc"),
        "not a mount line",
    });
    EXPECT_EQ(found(), (std::vector<std::string>{"/media/user/CARD /dev/mmcblk0p1",
                                                 "/media/user/USB STICK /dev/sdb1"}));
}

// Guards against a crash or a made-up card when the mount table or sysfs is missing.
TEST_F(MountedMedia, NothingToReadFindsNothing) {
    EXPECT_EQ(found(OsError::NotFound), std::vector<std::string>{});
    mounts({line(22, "/", "/media/x", "/dev/sdz1")});
    EXPECT_EQ(found(), std::vector<std::string>{});
}

// Guards against the kernel's octal escapes read as text.
TEST(MountInfoLine, UndoesEscapes) {
    posix::MountEntry entry;
    ASSERT_TRUE(posix::parseMountInfoLine(
        "36 35 98:0 /a\\134b /mnt/a\\040b\\011c rw - vfat /dev/sdc1 rw", entry));
    EXPECT_EQ(entry.root, "/a\\b");
    EXPECT_EQ(entry.mountPoint, "/mnt/a b\tc");
    EXPECT_EQ(entry.source, "/dev/sdc1");
    EXPECT_FALSE(posix::parseMountInfoLine("36 35 98:0 / /mnt rw vfat /dev/sdc1", entry));
}

} // namespace
} // namespace kovra
