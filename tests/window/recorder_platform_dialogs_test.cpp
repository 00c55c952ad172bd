// The window's commands through the platform's own save and open dialogs, driven as a user
// drives them, and Play through the real shell with a player registered for .avi.
#include <gtest/gtest.h>

#include "tests/support/bytes.h"
#include "tests/support/win32/avi_player.h"
#include "tests/window/recorder_card.h"

namespace kovra::test {
namespace {

class RecorderPlatformDialogs : public RecorderOnCard {
  protected:
    // The platform's file dialog that command opens, owned by the window.
    HWND fileDialogOf(int command) {
        post(command);
        DWORD thread = GetWindowThreadProcessId(window(), nullptr);
        return waitForWindow([&] { return findDialog(thread, window()); });
    }
    // Answers it with name and waits until the command has run.
    void confirm(HWND fileDialog, const std::string& name) {
        SCOPED_TRACE("answering the file dialog with " + name);
        answerFileDialog(fileDialog, name);
        ASSERT_TRUE(waitUntilGone(fileDialog));
        ASSERT_TRUE(settle(window()));
    }
};

// Guards against the real save dialog proposing the wrong file or replacing one unasked.
TEST_F(RecorderPlatformDialogs, SaveDialogSavesTheConfiguration) {
    drive.put("CONFIG.SYS", hexBytes("01 01 14 00 0A 00 1E 00 28 00 03"));
    start();
    HWND save = fileDialogOf(IDC_SET_CONFIG);
    ASSERT_NE(save, nullptr) << "no save dialog";
    EXPECT_EQ(windowText(save), "Save As");
    EXPECT_EQ(fileDialogName(save), "CONFIG.SYS");
    EXPECT_EQ(fileDialogType(save), "(*.SYS)");
    confirm(save, "backup");
    std::vector<std::string> files = drive.files();
    ASSERT_EQ(files.size(), 2u);
    // The platform adds the extension in a case of its own: Wine writes ".sys".
    std::string backup = files[0] == "CONFIG.SYS" ? files[1] : files[0];
    EXPECT_EQ(_stricmp(backup.c_str(), "backup.SYS"), 0) << backup;
    EXPECT_EQ(toHex(drive.read(backup)), "01 01 14 00 0A 00 1E 00 28 00 03");

    type(IDC_MAX_CYCLE, "41");
    save = fileDialogOf(IDC_SET_CONFIG);
    ASSERT_NE(save, nullptr) << "no save dialog";
    EXPECT_EQ(fileDialogName(save), backup);
    answerFileDialog(save, "CONFIG.SYS");
    std::optional<MessageBoxSeen> question = answerMessageBox(save, IDYES);
    ASSERT_TRUE(question) << "no question before replacing CONFIG.SYS";
    ASSERT_TRUE(waitUntilGone(save));
    ASSERT_TRUE(settle(window()));
    EXPECT_EQ(toHex(drive.read("CONFIG.SYS")), "01 01 14 00 0A 00 1E 00 29 00 03");
    EXPECT_EQ(toHex(drive.read(backup)), "01 01 14 00 0A 00 1E 00 28 00 03");
    EXPECT_EQ(cancel(), IDCANCEL);
}

// Guards against a picked video not reaching the real player as a "RIFF" copy.
TEST_F(RecorderPlatformDialogs, OpenDialogAndShellPlayTheVideo) {
    drive.put("MOV0001.avi", sampleVideo("MARS"));
    ScratchDir logs;
    std::string log = logs.file("opened.txt");
    ASSERT_TRUE(SetEnvironmentVariableA(kOpenLogVariable, log.c_str()));
    AviPlayer player(testPlayer());
    ASSERT_TRUE(player.ok());
    platform.realShell = true;
    start();

    HWND open = fileDialogOf(IDC_BROWSE);
    ASSERT_NE(open, nullptr) << "no open dialog";
    EXPECT_EQ(windowText(open), "Open");
    EXPECT_EQ(fileDialogType(open), " (*.avi)");
    confirm(open, drive.path("MOV0001.avi"));
    EXPECT_EQ(text(IDC_VIDEO_PATH), "E:\\MOV0001.avi");

    click(IDC_PLAY);
    std::string copy = tempFolder() + "~mrMOV0001.avi";
    std::optional<std::vector<std::string>> started = playerLog(log);
    ASSERT_TRUE(started) << "the player was not started within 30 s";
    EXPECT_EQ(*started, (std::vector<std::string>{"arguments 1", "show 1", copy}));
    EXPECT_EQ(toHex(readAll(copy).data(), 4), "52 49 46 46");
    EXPECT_EQ(firstDifference(readAll(copy), sampleVideo("RIFF")), "");
    EXPECT_EQ(firstDifference(drive.read("MOV0001.avi"), sampleVideo("MARS")), "");
    EXPECT_EQ(cancel(), IDCANCEL);
}

} // namespace
} // namespace kovra::test
