// Which controls can be used when: the frame-rate rules of the two resolutions, and the busy
// state of Play with a card and without one.
#include <gtest/gtest.h>

#include "tests/support/bytes.h"
#include "tests/window/recorder_card.h"

namespace kovra::test {
namespace {

std::vector<std::string> concat(std::initializer_list<std::vector<std::string>> parts) {
    std::vector<std::string> all;
    for (const auto& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

// Disabled when Play starts, in this order; a refused video gives them back in the same one.
const std::initializer_list<int> kBusyOrder = {1022, 1023, 1024, 1025, 1026, 1027, 1007, 1000, 1010,
                                               1008, 1009, 2,    1001, 1002, 1003, 1004, 1005, 1006,
                                               1018, 1019, 1020, 1021, 1011, 1012, 1013};
// Given back once the video is opened: the card's controls, then the video's.
const std::initializer_list<int> kOpenedOrder = {
    1022, 1023, 1024, 1025, 1026, 1027, 1007, 1000, 1010, 1001, 1002, 1003, 1004,
    1005, 1006, 1018, 1019, 1020, 1021, 1011, 1012, 1013, 1008, 1009, 2};
// All the window offers without a card.
const std::initializer_list<int> kVideoControls = {1008, 1009, 2};

// Guards against a resolution rule that misses a button, sets the member, or runs once only.
TEST_F(RecorderOnCard, ResolutionClicksSetTheFrameRates) {
    start();
    click(IDC_FPS_24);
    click(IDC_TRIGGER_VGA);
    EXPECT_EQ(enabledOf(kFrameRates), (std::vector<int>{IDC_FPS_15, IDC_FPS_13_3}));
    EXPECT_EQ(checkedOf(kFrameRates), std::vector<int>{IDC_FPS_15});
    EXPECT_EQ(dialog.settings.frameRate, 0);

    click(IDC_FPS_13_3);
    click(IDC_TRIGGER_QVGA);
    EXPECT_EQ(enabledOf(kFrameRates), std::vector<int>(kFrameRates));
    EXPECT_EQ(checkedOf(kFrameRates), std::vector<int>{IDC_FPS_30});

    click(IDC_FPS_13_3);
    click(IDC_TRIGGER_QVGA);
    EXPECT_EQ(checkedOf(kFrameRates), std::vector<int>{IDC_FPS_30});
    click(IDC_FPS_24);
    click(IDC_LOOP_VGA);
    EXPECT_EQ(enabledOf(kFrameRates), std::vector<int>(kFrameRates));
    EXPECT_EQ(checkedOf(kFrameRates), std::vector<int>{IDC_FPS_24});
    EXPECT_EQ(cancel(), IDCANCEL);
}

// Guards against the busy set switched out of order, too late, or not given back in full.
TEST_F(RecorderOnCard, PlaySwitchesTheBusySetAroundThePreparation) {
    drive.put("MOV0001.avi", sampleVideo("MARS"));
    drive.put("MOV0002.avi", sampleVideo("RIFX"));
    start();
    click(IDC_TRIGGER_VGA);
    pick("MOV0001.avi");
    ASSERT_TRUE(watchSwitches());
    click(IDC_PLAY);
    std::vector<std::string> busy = switched("disable", kBusyOrder);
    busy.erase(std::find(busy.begin(), busy.end(), "disable 1005"));
    busy.erase(std::find(busy.begin(), busy.end(), "disable 1006"));
    std::string copy = tempFolder() + "~mrMOV0001.avi";
    EXPECT_EQ(platform.log.take(), concat({busy,
                                           {"read E:\\MOV0001.avi", "copy E:\\MOV0001.avi",
                                            "readwrite " + copy, "shell " + copy},
                                           switched("enable", kOpenedOrder)}));
    EXPECT_TRUE(checked(IDC_TRIGGER_VGA));
    EXPECT_EQ(enabledOf(kFrameRates), std::vector<int>(kFrameRates));

    pick("MOV0002.avi");
    platform.log.take();
    click(IDC_PLAY);
    std::string refused = tempFolder() + "~mrMOV0002.avi";
    EXPECT_EQ(platform.log.take(),
              concat({switched("disable", kBusyOrder),
                      {"read E:\\MOV0002.avi", "copy E:\\MOV0002.avi", "readwrite " + refused},
                      switched("enable", kBusyOrder)}));
    EXPECT_EQ(cancel(), IDCANCEL);
}

// Guards against Play switching or preparing anything before a video is picked.
TEST_F(RecorderOnCard, PlayBeforeAPickDoesNothing) {
    start();
    ASSERT_TRUE(watchSwitches());
    click(IDC_PLAY);
    EXPECT_EQ(platform.log.take(), std::vector<std::string>{});
    EXPECT_EQ(cancel(), IDCANCEL);
}

// Guards against Play without a card giving the card's controls back.
TEST_F(RecorderNoCard, PlayKeepsTheDeviceControlsDisabled) {
    drive.put("MOV0001.avi", sampleVideo("MARS"));
    start();
    pick("MOV0001.avi");
    ASSERT_TRUE(watchSwitches());
    click(IDC_PLAY);
    EXPECT_EQ(platform.log.take(), concat({switched("disable", kVideoControls),
                                           {"readwrite Y:\\MOV0001.avi", "shell Y:\\MOV0001.avi"},
                                           switched("enable", kVideoControls)}));
    EXPECT_EQ(firstDifference(drive.read("MOV0001.avi"), sampleVideo("RIFF")), "");
    EXPECT_EQ(enabledOf(kBusyOrder), std::vector<int>(kVideoControls));
    EXPECT_FALSE(enabled(IDC_SENSITIVITY));
    click(IDCANCEL);
    EXPECT_EQ(result(), IDCANCEL);
}

// Guards against a refused Play without a card giving the card's controls back.
TEST_F(RecorderNoCard, RefusedPlayGivesBackOnlyTheVideoControls) {
    drive.put("MOV0001.avi", sampleVideo("MARS"));
    platform.tempAnswer = "C:\\" + std::string(496, 't') + "\\";
    start();
    pick("MOV0001.avi");
    ASSERT_TRUE(watchSwitches());
    click(IDC_PLAY);
    EXPECT_EQ(platform.log.take(),
              concat({switched("disable", kVideoControls), switched("enable", kVideoControls)}));
    EXPECT_EQ(firstDifference(drive.read("MOV0001.avi"), sampleVideo("MARS")), "");
    EXPECT_EQ(enabledOf(kBusyOrder), std::vector<int>(kVideoControls));
    EXPECT_EQ(cancel(), IDCANCEL);
}

} // namespace
} // namespace kovra::test
