// The one scan of removable media, and what the card finder and the watcher make of it: media
// scripted as the platform would show them.
#include "device/removable_media.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "device/card_finder.h"
#include "platform/forwarding_platform.h"
#include "watcher/media_scan.h"

namespace kovra {
namespace {

// An empty card reader at E:, a card in the reader at F:, and a stick on a mount table.
class ScriptedMedia : public ForwardingPlatform {
  public:
    OsError listError = OsError::None;
    std::set<std::string> withVolume = {"F:\\"};

    OsError removableMedia(std::vector<RemovableMedium>& media) override {
        media = {{"E:\\", "E:", "drive E: is removable, the first such from C: to Y:", true},
                 {"F:\\", "F:", "drive F: is removable", true},
                 {"/media/stick", "/dev/sdb1", "USB device sdb", false}};
        return listError;
    }
    OsError mountedAt(const char* folder, bool& mounted) override {
        mounted = withVolume.count(folder) > 0;
        return OsError::None;
    }
};

std::vector<std::string> rootsOf(const std::vector<RemovableMedium>& media) {
    std::vector<std::string> roots;
    for (const RemovableMedium& medium : media)
        roots.push_back(medium.mountPoint);
    return roots;
}

// Guards against an empty card reader taken for a card the watcher could read, and a drive the
// card finder and the window once took (an empty reader too) left out of their scan.
TEST(RemovableMedia, EmptyReadersAreCountedOrLeftOutAsAsked) {
    ScriptedMedia platform;
    std::vector<RemovableMedium> media;
    ASSERT_EQ(scanRemovableMedia(platform, EmptyReaders::Counted, media), OsError::None);
    EXPECT_EQ(rootsOf(media), (std::vector<std::string>{"E:\\", "F:\\", "/media/stick"}));
    ASSERT_EQ(scanRemovableMedia(platform, EmptyReaders::LeftOut, media), OsError::None);
    EXPECT_EQ(rootsOf(media), (std::vector<std::string>{"F:\\", "/media/stick"}));

    std::vector<watcher::Medium> watched;
    ASSERT_EQ(watcher::scanMedia(platform, "", watched), OsError::None);
    ASSERT_EQ(watched.size(), 2u);
    EXPECT_EQ(watched[0].device, "F:");

    std::optional<FoundCard> card = findCard(platform);
    ASSERT_TRUE(card);
    EXPECT_EQ(card->root, "E:\\");
    EXPECT_EQ(card->reason, "drive E: is removable, the first such from C: to Y:");
    EXPECT_EQ(card->others, (std::vector<std::string>{"F: at F:\\", "/dev/sdb1 at /media/stick"}));
}

// Guards against media listed in part taken for the card, and the watcher not told why.
TEST(RemovableMedia, AListThatFailedFindsNoCard) {
    ScriptedMedia platform;
    platform.listError = OsError::AccessDenied;
    EXPECT_FALSE(findCard(platform));
    std::vector<watcher::Medium> watched;
    EXPECT_EQ(watcher::scanMedia(platform, "", watched), OsError::AccessDenied);
}

} // namespace
} // namespace kovra
