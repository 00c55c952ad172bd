// The window as it opens: the card found, the configuration read from it, the PC's clock,
// the trackbar and the temporary folder cleaned.
#include <gtest/gtest.h>

#include "tests/support/bytes.h"
#include "tests/window/recorder_card.h"

namespace kovra::test {
namespace {

constexpr const char* kExampleRecord = "01 01 14 00 0A 00 1E 00 28 00 03";

// Guards against a start-up step skipped or out of order when the card has no CONFIG.SYS.
TEST_F(RecorderOnCard, WithoutConfigShowsDefaultsAndTheClock) {
    start();
    EXPECT_TRUE(dialog.devicePresent);
    EXPECT_STREQ(dialog.driveRoot.c_str(), "E:\\");
    EXPECT_STREQ(dialog.configPath.c_str(), "E:\\CONFIG.SYS");
    EXPECT_EQ(platform.log.take(), (std::vector<std::string>{"time", "read E:\\CONFIG.SYS"}));
    EXPECT_STREQ(dialog.workspace.tempDir().c_str(), tempFolder().c_str());

    EXPECT_EQ(text(IDC_MAX_GSENSOR), "20");
    EXPECT_EQ(text(IDC_MAX_MANUAL), "20");
    EXPECT_EQ(text(IDC_MAX_CYCLE), "20");
    EXPECT_EQ(checkedOf(kRadioButtons),
              (std::vector<int>{IDC_TRIGGER_QVGA, IDC_FPS_30, IDC_LOOP_QVGA, IDC_OVERWRITE_YES}));
    EXPECT_EQ(sliderPos(), 8);
    EXPECT_EQ(text(IDC_SENSITIVITY_VALUE), "0.40");
    EXPECT_EQ(text(IDC_YEAR) + "/" + text(IDC_MONTH) + "/" + text(IDC_DAY) + " " + text(IDC_HOUR) +
                  ":" + text(IDC_MINUTE) + ":" + text(IDC_SECOND),
              "2007/10/16 8:16:47");

    for (HWND c = GetWindow(window(), GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
        EXPECT_TRUE(IsWindowEnabled(c)) << "control " << GetDlgCtrlID(c);
    EXPECT_EQ(focusedId(), IDCANCEL);
    HICON programIcon = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_MAINFRAME));
    EXPECT_EQ(reinterpret_cast<HICON>(SendMessageA(window(), WM_GETICON, ICON_BIG, 0)),
              programIcon);
    EXPECT_EQ(reinterpret_cast<HICON>(SendMessageA(window(), WM_GETICON, ICON_SMALL, 0)),
              programIcon);
    EXPECT_EQ(cancel(), IDCANCEL);
}

// Guards against a stored configuration shown wrongly, or the "VGA" rule run on loading it.
TEST_F(RecorderOnCard, ConfigOnTheCardShowsAsStored) {
    drive.put("CONFIG.SYS", hexBytes(kExampleRecord));
    start();
    EXPECT_EQ(settingsOf(dialog.settings), std::make_tuple(40, 10, 30, 1, 1, 3, 1, 20));
    EXPECT_EQ(text(IDC_MAX_GSENSOR), "10");
    EXPECT_EQ(text(IDC_MAX_MANUAL), "30");
    EXPECT_EQ(text(IDC_MAX_CYCLE), "40");
    EXPECT_EQ(checkedOf(kRadioButtons),
              (std::vector<int>{IDC_TRIGGER_VGA, IDC_FPS_13_3, IDC_LOOP_VGA, IDC_OVERWRITE_NO}));
    EXPECT_EQ(sliderPos(), 20);
    EXPECT_EQ(text(IDC_SENSITIVITY_VALUE), "1.00");
    EXPECT_EQ(enabledOf(kFrameRates), std::vector<int>(kFrameRates));
    EXPECT_EQ(cancel(), IDCANCEL);
    EXPECT_EQ(toHex(drive.read("CONFIG.SYS")), kExampleRecord);
}

// Guards against the "VGA" rule run on a loaded "VGA" with "30FPS".
TEST_F(RecorderOnCard, LoadedVgaWithThirtyFramesShowsBoth) {
    drive.put("CONFIG.SYS", hexBytes("01 00 08 00 14 00 14 00 14 01 00"));
    start();
    EXPECT_EQ(checkedOf(kRadioButtons),
              (std::vector<int>{IDC_TRIGGER_VGA, IDC_FPS_30, IDC_LOOP_QVGA, IDC_OVERWRITE_YES}));
    EXPECT_EQ(enabledOf(kFrameRates), std::vector<int>(kFrameRates));
    EXPECT_EQ(cancel(), IDCANCEL);
}

// Guards against a text taken from the trackbar, or a save of the stored step.
TEST_F(RecorderOnCard, StoredStepOutsideTheTrackbarRange) {
    struct Case {
        const char* stored;
        const char* shown;
        int position;
        const char* saved;
    };
    const Case cases[] = {
        {"32", "2.50", 40, "28"}, {"00", "0.00", 2, "02"}, {"FF", "12.75", 40, "28"},
        {"28", "2.00", 40, "28"}, {"02", "0.10", 2, "02"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("stored step 0x") + c.stored);
        drive.put("CONFIG.SYS",
                  hexBytes(std::string("00 00 ") + c.stored + " 00 14 00 14 00 14 01 00"));
        start();
        EXPECT_EQ(text(IDC_SENSITIVITY_VALUE), c.shown);
        EXPECT_EQ(sliderPos(), c.position);
        dialog.answerFileDialog(drive.path("CONFIG.SYS"));
        click(IDC_SET_CONFIG);
        EXPECT_EQ(toHex(drive.read("CONFIG.SYS")),
                  std::string("00 00 ") + c.saved + " 00 14 00 14 00 14 01 00");
        EXPECT_EQ(cancel(), IDCANCEL);
    }
}

// Guards against stale ~mr*.avi copies kept at start-up, or other files swept with them.
TEST_F(RecorderOnCard, StaleCopiesGoOnceTheWindowShows) {
    std::string temp = tempFolder();
    for (const char* name : {"~mrMOV0001.avi", "~mrMOV0002.avi", "MOV0003.avi", "~mrnotes.txt"})
        writeAll(temp + name, sampleVideo("RIFF", 100));
    start();
    EXPECT_FALSE(fileExists(temp + "~mrMOV0001.avi"));
    EXPECT_FALSE(fileExists(temp + "~mrMOV0002.avi"));
    EXPECT_TRUE(fileExists(temp + "MOV0003.avi"));
    EXPECT_TRUE(fileExists(temp + "~mrnotes.txt"));
    EXPECT_EQ(cancel(), IDCANCEL);
    DeleteFileA((temp + "MOV0003.avi").c_str());
    DeleteFileA((temp + "~mrnotes.txt").c_str());
}

// Guards against card controls usable without a card, or Y:\CONFIG.SYS left unread.
TEST_F(RecorderNoCard, DeviceControlsDisabledAndConfigStillRead) {
    drive.put("CONFIG.SYS", hexBytes(kExampleRecord));
    start();
    EXPECT_FALSE(dialog.devicePresent);
    EXPECT_STREQ(dialog.driveRoot.c_str(), "Y:\\");
    std::vector<int> usable;
    for (HWND c = GetWindow(window(), GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
        if (IsWindowEnabled(c) && GetDlgCtrlID(c) != IDC_STATIC)
            usable.push_back(GetDlgCtrlID(c));
    EXPECT_EQ(usable, (std::vector<int>{IDCANCEL, IDC_SENSITIVITY_VALUE, IDC_VIDEO_PATH, IDC_BROWSE,
                                        IDC_PLAY}));
    EXPECT_EQ(text(IDC_MAX_CYCLE), "40");
    EXPECT_EQ(checkedOf(kRadioButtons),
              (std::vector<int>{IDC_TRIGGER_VGA, IDC_FPS_13_3, IDC_LOOP_VGA, IDC_OVERWRITE_NO}));
    EXPECT_EQ(sliderPos(), 20);
    EXPECT_EQ(text(IDC_SENSITIVITY_VALUE), "1.00");
    EXPECT_EQ(text(IDC_YEAR), "2007");
    EXPECT_EQ(cancel(), IDCANCEL);
}

} // namespace
} // namespace kovra::test
