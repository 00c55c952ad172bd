// Playing the card's videos through the real Win32 calls, and the real shell's "open" verb.
#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "device/device_locator.h"
#include "device/playback_workspace.h"
#include "tests/support/bytes.h"
#include "tests/support/scratch_dir.h"
#include "tests/support/shell_log_platform.h"
#include "tests/support/wine_drives.h"

namespace kovra {
namespace {

using Bytes = std::vector<unsigned char>;
using test::firstDifference;

Bytes video(const char* signature) {
    Bytes bytes(100000);
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<unsigned char>(i * 13 + 5);
    std::copy(signature, signature + 4, bytes.begin());
    return bytes;
}

// A card in a removable drive, the copies in the folder GetTempPathA names: "MARS" is
// copied, patched and opened, reused without copying, "RIFX" is refused, the card keeps its
// bytes, and the cleanup removes both copies.
TEST(PlayFromCard, ThroughTheRealCalls) {
    KOVRA_REQUIRE_DRIVES("e=floppy");
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
    test::writeAll(mars, video("MARS"));
    test::writeAll(rifx, video("RIFX"));

    EXPECT_EQ(workspace.play(mars.c_str(), "MOV0001.avi", true), PlayOutcome::Opened);
    EXPECT_EQ(workspace.play(mars.c_str(), "MOV0001.avi", true), PlayOutcome::Opened);
    EXPECT_EQ(platform.copies, 1);
    EXPECT_EQ(platform.opened, std::vector<std::string>(2, marsCopy));
    EXPECT_EQ(firstDifference(test::readAll(marsCopy), video("RIFF")), "");
    EXPECT_EQ(firstDifference(test::readAll(mars), video("MARS")), "");

    EXPECT_EQ(workspace.play(rifx.c_str(), "MOV0002.avi", true), PlayOutcome::Rejected);
    EXPECT_EQ(platform.opened.size(), 2u);
    EXPECT_EQ(firstDifference(test::readAll(rifxCopy), video("RIFX")), "");
    EXPECT_EQ(firstDifference(test::readAll(rifx), video("RIFX")), "");

    workspace.cleanup();
    EXPECT_FALSE(test::fileExists(marsCopy));
    EXPECT_FALSE(test::fileExists(rifxCopy));
    EXPECT_TRUE(test::fileExists(mars));
}

// Makes a program the player for .avi files while it lives.
class AviPlayer {
  public:
    explicit AviPlayer(const std::string& program) {
        std::string command = "\"" + program + "\" \"%1\"";
        ok_ = setDefault("Software\\Classes\\.avi", kProgId) &&
              setDefault(std::string("Software\\Classes\\") + kProgId + "\\shell\\open\\command",
                         command);
    }
    ~AviPlayer() {
        std::string prog = std::string("Software\\Classes\\") + kProgId;
        for (const std::string& key :
             {prog + "\\shell\\open\\command", prog + "\\shell\\open", prog + "\\shell", prog,
              std::string("Software\\Classes\\.avi")})
            RegDeleteKeyA(HKEY_LOCAL_MACHINE, key.c_str());
    }
    bool ok() const { return ok_; }

  private:
    static constexpr const char* kProgId = "Kovra.TestPlayer";
    static bool setDefault(const std::string& key, const std::string& value) {
        HKEY handle;
        if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                            &handle, nullptr) != ERROR_SUCCESS)
            return false;
        LONG result =
            RegSetValueExA(handle, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                           static_cast<DWORD>(value.size() + 1));
        RegCloseKey(handle);
        return result == ERROR_SUCCESS;
    }
    bool ok_ = false;
};

std::string besideThisProgram(const char* name) {
    char self[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, self, sizeof self);
    return (std::filesystem::path(std::string(self, n)).parent_path() / name).string();
}

// The real "open" verb starts the associated player on exactly the path given, one argument
// even with a space in it, in the normal show state.
TEST(ShellOpen, StartsTheAssociatedPlayer) {
    KOVRA_REQUIRE_DRIVES("");
    test::ScratchDir dir;
    std::string video = dir.file("~mrMOV 0001.avi");
    test::writeAll(video, test::hexBytes("52 49 46 46"));
    std::string log = dir.file("opened.txt");
    ASSERT_TRUE(SetEnvironmentVariableA("KOVRA_OPEN_LOG", log.c_str()));
    AviPlayer player(besideThisProgram("kovra_open_recorder.exe"));
    ASSERT_TRUE(player.ok());

    EXPECT_EQ(systemPlatform().shellOpen(video.c_str()), OsError::None);
    for (int i = 0; i < 300 && !test::fileExists(log); ++i)
        Sleep(100);
    ASSERT_TRUE(test::fileExists(log)) << "the player was not started within 30 s";
    std::ifstream in(log);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    EXPECT_EQ(lines, (std::vector<std::string>{"arguments 1", "show 1", video}));
}

} // namespace
} // namespace kovra
