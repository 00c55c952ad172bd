// Every command of the window on the card: both clock records, the configuration, picking a
// video and playing it, and the trackbar. The files are read back from the card's folder.
#include <gtest/gtest.h>

#include "tests/support/bytes.h"
#include "tests/window/recorder_card.h"

namespace kovra::test {
namespace {

const std::string kClockDialog = "save|6|txt|E:\\TIME.txt|(*.txt)|*.txt||";
const std::string kConfigDialog = "save|6|SYS|E:\\CONFIG.SYS|(*.SYS)|*.SYS||";
const std::string kVideoDialog = "open|6|*.avi|| (*.avi)|*.avi||";

class RecorderCommands : public RecorderOnCard {
  protected:
    // The prompt a posted command shows, answered; nothing when none came.
    std::string promptOf(int command) {
        post(command);
        std::optional<MessageBoxSeen> seen = answerPrompt();
        return seen ? seen->text : "";
    }
    std::string pathOfLength(std::size_t length) {
        return drive.path("") + std::string(length - drive.path("").size(), 'p');
    }
};

// Guards against the clock read before the file exists, or the typed date used or changed.
TEST_F(RecorderCommands, SetCurrentTimeWritesThePcClock) {
    start();
    platform.log.take();
    platform.now = {2009, 12, 4, 31, 23, 59, 58, 999};
    type(IDC_YEAR, "not a year");
    dialog.answerFileDialog(drive.path("TIME.txt"));
    click(IDC_SET_CURRENT_TIME);
    EXPECT_EQ(dialog.fileDialogs(), std::vector<std::string>{kClockDialog});
    // The clock read once the file is there; the bytes on the storage before the name.
    EXPECT_EQ(platform.log.take(),
              (std::vector<std::string>{"create E:\\TIME.txt.1234.kovra-tmp", "time", "flush",
                                        "replace E:\\TIME.txt"}));
    EXPECT_EQ(toHex(drive.read("TIME.txt")), "20 09 12 31 23 59 58");
    EXPECT_EQ(text(IDC_YEAR), "not a year");
    EXPECT_EQ(clockOf(dialog.clockFields), std::make_tuple(2007, 10, 16, 8, 16, 47));
    EXPECT_EQ(cancel(), IDCANCEL);
}

// Guards against a cancelled "Set Current Time" that still writes or reads the clock.
TEST_F(RecorderCommands, SetCurrentTimeCancelledWritesNothing) {
    start();
    platform.log.take();
    dialog.answerFileDialog(std::nullopt);
    click(IDC_SET_CURRENT_TIME);
    EXPECT_EQ(dialog.fileDialogs(), std::vector<std::string>{kClockDialog});
    EXPECT_EQ(platform.log.take(), std::vector<std::string>{});
    EXPECT_EQ(drive.files(), std::vector<std::string>{});
    EXPECT_EQ(cancel(), IDCANCEL);
}

// Guards against a date not written as typed, or written although a field failed.
TEST_F(RecorderCommands, SetTimeWritesTheTypedDateOrStopsAtItsPrompt) {
    drive.put("TIME.txt", sampleVideo("TIME", 20));
    start();
    type(IDC_YEAR, "2008");
    type(IDC_MONTH, "2");
    type(IDC_DAY, "31");
    type(IDC_HOUR, "24");
    type(IDC_MINUTE, "60");
    type(IDC_SECOND, "60");
    dialog.answerFileDialog(drive.path("TIME.txt"));
    click(IDC_SET_TIME);
    EXPECT_EQ(dialog.fileDialogs(), std::vector<std::string>{kClockDialog});
    EXPECT_EQ(toHex(drive.read("TIME.txt")), "20 08 02 31 24 60 60");

    type(IDC_HOUR, "25");
    platform.log.take();
    EXPECT_EQ(promptOf(IDC_SET_TIME), "Please enter an integer between 0 and 24.");
    EXPECT_EQ(dialog.fileDialogs().size(), 1u);
    EXPECT_EQ(platform.log.take(), std::vector<std::string>{});
    EXPECT_EQ(toHex(drive.read("TIME.txt")), "20 08 02 31 24 60 60");
    EXPECT_EQ(cancel(), IDCANCEL);
}

// Guards against a value saved from the wrong control or byte, or a step not the trackbar's.
TEST_F(RecorderCommands, SetConfigWritesEveryValueAndTheTrackbar) {
    start();
    HWND trackbar = control(IDC_SENSITIVITY);
    // A posted key is handled after anything sent meanwhile, so settling alone can come first:
    // wait for the label the key changes, then for the handler that changed it to return.
    pressKey(trackbar, VK_HOME);
    EXPECT_TRUE(waitUntil([&] { return text(IDC_SENSITIVITY_VALUE) == "0.10"; }))
        << text(IDC_SENSITIVITY_VALUE);
    ASSERT_TRUE(settle(window()));
    EXPECT_EQ(dialog.settings.sensitivityStep, 2);
    pressKey(trackbar, VK_END);
    EXPECT_TRUE(waitUntil([&] { return text(IDC_SENSITIVITY_VALUE) == "2.00"; }))
        << text(IDC_SENSITIVITY_VALUE);
    ASSERT_TRUE(settle(window()));
    EXPECT_EQ(dialog.settings.sensitivityStep, 40);

    type(IDC_MAX_GSENSOR, "300");
    type(IDC_MAX_MANUAL, "65535");
    type(IDC_MAX_CYCLE, "7");
    click(IDC_TRIGGER_VGA);
    click(IDC_FPS_13_3);
    click(IDC_LOOP_VGA);
    click(IDC_OVERWRITE_NO);
    platform.log.take();
    dialog.answerFileDialog(drive.path("CONFIG.SYS"));
    click(IDC_SET_CONFIG);
    EXPECT_EQ(dialog.fileDialogs(), std::vector<std::string>{kConfigDialog});
    EXPECT_EQ(platform.log.take(), (std::vector<std::string>{"create E:\\CONFIG.SYS.1234.kovra-tmp",
                                                             "flush", "replace E:\\CONFIG.SYS"}));
    EXPECT_EQ(toHex(drive.read("CONFIG.SYS")), "01 01 28 01 2C FF FF 00 07 00 03");
    EXPECT_EQ(cancel(), IDCANCEL);
}

// Guards against a full card left with an empty record, or an old one cut: each save
// replaces its file whole or leaves it as it was.
TEST_F(RecorderCommands, SavesOnAFullCardLeaveTheCardAsItWas) {
    drive.put("CONFIG.SYS", hexBytes("01 01 14 00 0A 00 1E 00 28 00 03"));
    start();
    platform.writeError = OsError::ShortWrite;
    dialog.answerFileDialog(drive.path("TIME.txt"));
    click(IDC_SET_CURRENT_TIME);
    dialog.answerFileDialog(drive.path("TIME.txt"));
    click(IDC_SET_TIME);
    dialog.answerFileDialog(drive.path("CONFIG.SYS"));
    click(IDC_SET_CONFIG);
    EXPECT_EQ(dialog.fileDialogs().size(), 3u);
    EXPECT_EQ(drive.files(), std::vector<std::string>{"CONFIG.SYS"});
    EXPECT_EQ(toHex(drive.read("CONFIG.SYS")), "01 01 14 00 0A 00 1E 00 28 00 03");
    EXPECT_EQ(cancel(), IDCANCEL);
}

// Guards against configPath not kept on confirmation, or changed by a cancel.
TEST_F(RecorderCommands, SetConfigProposesTheLastConfirmedFile) {
    ScratchDir elsewhere;
    std::string backup = elsewhere.file("backup.SYS");
    std::string unmade = drive.path("missing\\CONFIG.SYS");
    start();
    dialog.answerFileDialog(backup);
    dialog.answerFileDialog(std::nullopt);
    dialog.answerFileDialog(unmade);
    dialog.answerFileDialog(std::nullopt);
    for (int i = 0; i < 4; ++i)
        click(IDC_SET_CONFIG);
    EXPECT_EQ(dialog.fileDialogs(),
              (std::vector<std::string>{kConfigDialog, "save|6|SYS|" + backup + "|(*.SYS)|*.SYS||",
                                        "save|6|SYS|" + backup + "|(*.SYS)|*.SYS||",
                                        "save|6|SYS|" + unmade + "|(*.SYS)|*.SYS||"}));
    EXPECT_EQ(toHex(readAll(backup)), "00 00 08 00 14 00 14 00 14 01 00");
    EXPECT_EQ(drive.files(), std::vector<std::string>{});
    EXPECT_EQ(cancel(), IDCANCEL);
}

// Guards against a failed date or time field stopping the configuration's save.
TEST_F(RecorderCommands, SetConfigWithABadDayPromptsThenSaves) {
    start();
    type(IDC_MAX_CYCLE, "33");
    click(IDC_OVERWRITE_NO);
    type(IDC_DAY, "0");
    dialog.answerFileDialog(drive.path("CONFIG.SYS"));
    EXPECT_EQ(promptOf(IDC_SET_CONFIG), "Please enter an integer between 1 and 31.");
    ASSERT_TRUE(settle(window()));
    EXPECT_EQ(dialog.fileDialogs(), std::vector<std::string>{kConfigDialog});
    EXPECT_EQ(toHex(drive.read("CONFIG.SYS")), "00 00 08 00 14 00 14 00 21 00 00");
    EXPECT_EQ(dialog.clockFields.day, 0);
    EXPECT_EQ(cancel(), IDCANCEL);
}

// Guards against saving values the user no longer sees after a count fails.
TEST_F(RecorderCommands, SetConfigWithABadCountStopsAtItsPrompt) {
    start();
    type(IDC_MAX_GSENSOR, "11");
    type(IDC_MAX_MANUAL, "x");
    click(IDC_TRIGGER_VGA);
    dialog.answerFileDialog(drive.path("CONFIG.SYS"));
    EXPECT_EQ(promptOf(IDC_SET_CONFIG), "Please enter an integer.");
    ASSERT_TRUE(settle(window()));
    EXPECT_EQ(dialog.fileDialogs(), std::vector<std::string>{});
    EXPECT_EQ(drive.files(), std::vector<std::string>{});
    EXPECT_EQ(focusedId(), IDC_MAX_MANUAL);
    EXPECT_EQ(cancel(), IDCANCEL);
}

// Guards against a pick not shown or stored, a cancel that loses it, or the card's file patched.
TEST_F(RecorderCommands, BrowseAndPlayWithTheCard) {
    drive.put("MOV0001.avi", sampleVideo("MARS"));
    std::string copy = tempFolder() + "~mrMOV0001.avi";
    start();
    writeAll(copy, sampleVideo("RIFF", 10));
    dialog.answerFileDialog(drive.path("MOV0001.avi"));
    click(IDC_BROWSE);
    EXPECT_EQ(dialog.fileDialogs(), std::vector<std::string>{kVideoDialog});
    EXPECT_EQ(text(IDC_VIDEO_PATH), "E:\\MOV0001.avi");
    EXPECT_STREQ(dialog.videoPath.c_str(), "E:\\MOV0001.avi");
    EXPECT_STREQ(dialog.videoName.c_str(), "MOV0001.avi");
    EXPECT_FALSE(fileExists(copy));

    dialog.answerFileDialog(std::nullopt);
    click(IDC_BROWSE);
    EXPECT_EQ(text(IDC_VIDEO_PATH), "E:\\MOV0001.avi");
    click(IDC_PLAY);
    EXPECT_EQ(platform.opened, std::vector<std::string>{copy});
    EXPECT_EQ(firstDifference(readAll(copy), sampleVideo("RIFF")), "");
    EXPECT_EQ(firstDifference(drive.read("MOV0001.avi"), sampleVideo("MARS")), "");
    EXPECT_EQ(drive.files(), std::vector<std::string>{"MOV0001.avi"});
    EXPECT_EQ(cancel(), IDCANCEL);
}

// Guards against a record path cut to 511 characters, which names another file.
TEST_F(RecorderCommands, OverlongRecordPathIsRefusedWhole) {
    start();
    platform.log.take();
    dialog.answerFileDialog(pathOfLength(512));
    click(IDC_SET_CURRENT_TIME);
    dialog.answerFileDialog(pathOfLength(512));
    dialog.answerFileDialog(pathOfLength(511));
    dialog.answerFileDialog(std::nullopt);
    for (int i = 0; i < 3; ++i)
        click(IDC_SET_CONFIG);
    EXPECT_EQ(platform.log.take(),
              std::vector<std::string>{"create " + pathOfLength(511) + ".1234.kovra-tmp"});
    std::vector<std::string> asked = dialog.fileDialogs();
    ASSERT_EQ(asked.size(), 4u);
    EXPECT_EQ(asked[2], kConfigDialog);
    EXPECT_EQ(asked[3], "save|6|SYS|" + pathOfLength(511) + "|(*.SYS)|*.SYS||");
    EXPECT_EQ(cancel(), IDCANCEL);
}

// Guards against a video path cut to 255 characters, which names another file.
TEST_F(RecorderCommands, OverlongVideoPathIsRefusedWhole) {
    start();
    dialog.answerFileDialog(drive.path("MOV0001.avi"));
    dialog.answerFileDialog(pathOfLength(256));
    click(IDC_BROWSE);
    click(IDC_BROWSE);
    EXPECT_EQ(text(IDC_VIDEO_PATH), "E:\\MOV0001.avi");
    EXPECT_STREQ(dialog.videoPath.c_str(), "E:\\MOV0001.avi");
    EXPECT_STREQ(dialog.videoName.c_str(), "MOV0001.avi");
    dialog.answerFileDialog(pathOfLength(255));
    click(IDC_BROWSE);
    EXPECT_EQ(text(IDC_VIDEO_PATH), pathOfLength(255));
    EXPECT_EQ(cancel(), IDCANCEL);
}

} // namespace
} // namespace kovra::test
