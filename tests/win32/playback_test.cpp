// Playing the card's videos through the real Win32 calls, and the real shell's "open" verb.
#include <gtest/gtest.h>

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "device/device_locator.h"
#include "device/playback_workspace.h"
#include "testkit/shell_log_platform.h"
#include "tests/support/bytes.h"
#include "tests/support/scratch_dir.h"
#include "tests/support/win32/avi_player.h"
#include "tests/support/wine_drives.h"

namespace kovra {
namespace {

using Bytes = std::vector<unsigned char>;
using test::firstDifference;
using test::sampleVideo;

// A card in a removable drive, the copies in the folder GetTempPathA names: "MARS" is
// copied, patched and opened, reused without copying, "RIFX" is refused, the card keeps its
// bytes, and the cleanup removes both copies.
TEST(PlayFromCard, ThroughTheRealCalls) {
    KOVRA_REQUIRE_DRIVES(test::kDrivesCard);
    DeviceLocation found = DeviceLocator(systemPlatform()).locate();
    ASSERT_TRUE(found.devicePresent);
    test::ShellLogPlatform platform;
    PlaybackWorkspace workspace(platform);
    workspace.prepareTempDir();
    char temp[MAX_PATH + 1];
    ASSERT_NE(GetTempPathA(sizeof temp, temp), 0u);
    ASSERT_STREQ(workspace.tempDir().c_str(), temp);
    workspace.cleanup(); // what earlier runs left behind

    std::string root = found.driveRoot.c_str();
    std::string mars = root + "MOV0001.avi", rifx = root + "MOV0002.avi";
    std::string marsCopy = std::string(temp) + "~mrMOV0001.avi";
    std::string rifxCopy = std::string(temp) + "~mrMOV0002.avi";
    test::writeAll(mars, sampleVideo("MARS"));
    test::writeAll(rifx, sampleVideo("RIFX"));

    EXPECT_EQ(workspace.play(mars.c_str(), "MOV0001.avi", true), PlayOutcome::Opened);
    EXPECT_EQ(workspace.play(mars.c_str(), "MOV0001.avi", true), PlayOutcome::Opened);
    EXPECT_EQ(platform.copies, 1);
    EXPECT_EQ(platform.opened, std::vector<std::string>(2, marsCopy));
    EXPECT_EQ(firstDifference(test::readAll(marsCopy), sampleVideo("RIFF")), "");
    EXPECT_EQ(firstDifference(test::readAll(mars), sampleVideo("MARS")), "");

    EXPECT_EQ(workspace.play(rifx.c_str(), "MOV0002.avi", true), PlayOutcome::Rejected);
    EXPECT_EQ(platform.opened.size(), 2u);
    EXPECT_EQ(firstDifference(test::readAll(rifxCopy), sampleVideo("RIFX")), "");
    EXPECT_EQ(firstDifference(test::readAll(rifx), sampleVideo("RIFX")), "");

    workspace.cleanup();
    EXPECT_FALSE(test::fileExists(marsCopy));
    EXPECT_FALSE(test::fileExists(rifxCopy));
    EXPECT_TRUE(test::fileExists(mars));
}

// The real "open" verb starts the associated player on exactly the path given, one argument
// even with a space in it, in the normal show state.
TEST(ShellOpen, StartsTheAssociatedPlayer) {
    KOVRA_REQUIRE_DRIVES(test::kDrivesNone);
    test::ScratchDir dir;
    std::string video = dir.file("~mrMOV 0001.avi");
    test::writeAll(video, test::hexBytes("52 49 46 46"));
    std::string log = dir.file("opened.txt");
    ASSERT_TRUE(SetEnvironmentVariableA(test::kOpenLogVariable, log.c_str()));
    test::AviPlayer player(test::testPlayer());
    ASSERT_TRUE(player.ok());

    EXPECT_EQ(systemPlatform().shellOpen(video.c_str()), OsError::None);
    std::optional<std::vector<std::string>> lines = test::playerLog(log);
    ASSERT_TRUE(lines) << "the player was not started within 30 s";
    EXPECT_EQ(*lines, (std::vector<std::string>{"arguments 1", "show 1", video}));
}

// Guards against a file no program opens reported as opened, or as missing.
TEST(ShellOpen, NoProgramForTheFileIsNoHandler) {
    KOVRA_REQUIRE_DRIVES(test::kDrivesNone);
    test::ScratchDir dir;
    std::string notes = dir.file("notes.kovra-unknown");
    test::writeAll(notes, {1});
    OsError error = systemPlatform().shellOpen(notes.c_str());
    EXPECT_EQ(error.kind(), OsError::NoHandler) << error;
}

} // namespace
} // namespace kovra
