#include "device/device_locator.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "platform/forwarding_platform.h"
#include "platform/removable_drives.h"

namespace kovra {
namespace {

// The Windows scan, its drive types answered from a table; letters not in it have no root.
// Records every probe.
class ScriptedDrives : public ForwardingPlatform {
  public:
    explicit ScriptedDrives(std::map<char, DriveType> drives) : drives_(std::move(drives)) {}
    OsError removableMedia(std::vector<RemovableMedium>& media) override {
        media = removableDrives([this](const char* root) {
            probes.push_back(root);
            auto it = drives_.find(root[0]);
            return it == drives_.end() ? DriveType::NoRootDir : it->second;
        });
        return OsError::None;
    }
    std::vector<std::string> probes;

  private:
    std::map<char, DriveType> drives_;
};

DeviceLocation locateWith(std::map<char, DriveType> drives) {
    ScriptedDrives platform(std::move(drives));
    return DeviceLocator(platform).locate();
}

// The first removable drive in letter order is the card, not any later one.
TEST(DeviceLocator, FirstRemovableDriveWins) {
    DeviceLocation found = locateWith(
        {{'C', DriveType::Fixed}, {'F', DriveType::Removable}, {'H', DriveType::Removable}});
    EXPECT_TRUE(found.devicePresent);
    EXPECT_STREQ(found.driveRoot.c_str(), "F:\\");
}

// A:, B: and Z: are never the card, even when removable.
TEST(DeviceLocator, IgnoresABAndZ) {
    DeviceLocation found = locateWith(
        {{'A', DriveType::Removable}, {'B', DriveType::Removable}, {'Z', DriveType::Removable}});
    EXPECT_FALSE(found.devicePresent);
    EXPECT_STREQ(found.driveRoot.c_str(), "Y:\\");
}

// Only "removable" counts: fixed, optical, network, RAM and unknown drives never do.
TEST(DeviceLocator, OtherDriveTypesNeverCount) {
    DeviceLocation found = locateWith({{'C', DriveType::Fixed},
                                       {'D', DriveType::CdRom},
                                       {'E', DriveType::Remote},
                                       {'G', DriveType::RamDisk},
                                       {'K', DriveType::Unknown},
                                       {'Y', DriveType::Fixed}});
    EXPECT_FALSE(found.devicePresent);
    EXPECT_STREQ(found.driveRoot.c_str(), "Y:\\");
}

// The scan asks C: to Y: in order, as "X:\" roots, every one of them: the card finder names
// the removable drives after the card.
TEST(DeviceLocator, ProbesRootsInOrder) {
    ScriptedDrives none({});
    DeviceLocator(none).locate();
    ASSERT_EQ(none.probes.size(), 23u);
    EXPECT_EQ(none.probes.front(), "C:\\");
    EXPECT_EQ(none.probes.back(), "Y:\\");
}

} // namespace
} // namespace kovra
