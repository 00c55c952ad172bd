// Share modes, which Windows enforces and POSIX does not: a file held without sharing resists
// other opens and its deletion, and the cleanup of Play's copies goes on past one that a
// player holds. Built for Windows only, so no other OS reports these as skipped.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "device/playback_workspace.h"
#include "platform/file.h"
#include "platform/platform.h"
#include "testkit/shell_log_platform.h"
#include "tests/support/scratch_dir.h"

namespace kovra {
namespace {

std::vector<std::string> filesIn(const std::filesystem::path& dir) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// A file held without sharing cannot be opened again, nor removed.
TEST(ShareModes, ExclusiveOpenRefusesOthers) {
    Platform& platform = systemPlatform();
    test::ScratchDir dir;
    std::string path = dir.file("held");
    File held(platform, path.c_str(), OpenMode::ReadWriteExclusive);
    ASSERT_TRUE(held.isOpen());
    File other(platform, path.c_str(), OpenMode::ReadShared);
    EXPECT_FALSE(other.isOpen());
    EXPECT_EQ(other.openError(), OsError::SharingViolation);
    EXPECT_EQ(platform.remove(path.c_str()), OsError::SharingViolation);
}

// A copy that a player holds open stays, and the cleanup removes the others.
TEST(ShareModes, CleanupSkipsACopyHeldOpen) {
    test::ScratchDir temp;
    test::ShellLogPlatform platform;
    platform.tempAnswer = temp.path().string() + "\\";
    PlaybackWorkspace workspace(platform);
    workspace.prepareTempDir();
    for (const char* name : {"~mrA.avi", "~mrB.avi", "~mrC.avi"})
        test::writeAll(temp.file(name), {1});
    File held(systemPlatform(), temp.file("~mrB.avi").c_str(), OpenMode::ReadWriteExclusive);
    ASSERT_TRUE(held.isOpen());
    workspace.cleanup();
    EXPECT_EQ(filesIn(temp.path()), std::vector<std::string>{"~mrB.avi"});
}

} // namespace
} // namespace kovra
