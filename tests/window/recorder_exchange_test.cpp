// Values between the window's controls and its members, through the real dialog: the members
// reach the controls when the window opens, and come back with the OK command (Enter in an
// edit), which stops at the first field that fails.
#include <gtest/gtest.h>

#include "tests/window/recorder_window.h"

namespace kovra::test {
namespace {

class RecorderExchange : public RecorderWindow {
  protected:
    // Every field gets a new valid value, every radio group another button ("VGA" leaves
    // only 15 and 13.3 frames to pick).
    void changeEverything() {
        type(IDC_MAX_CYCLE, "41");
        type(IDC_MAX_GSENSOR, "11");
        type(IDC_MAX_MANUAL, "31");
        click(IDC_TRIGGER_VGA);
        click(IDC_LOOP_VGA);
        click(IDC_FPS_13_3);
        click(IDC_OVERWRITE_NO);
        type(IDC_DAY, "17");
        type(IDC_HOUR, "9");
        type(IDC_MINUTE, "17");
        type(IDC_MONTH, "11");
        type(IDC_SECOND, "48");
        type(IDC_YEAR, "2008");
    }
    // Enter in an edit, then the prompt that must come, the focus it leaves, and the window
    // still open.
    void expectPrompt(const char* prompt, int focusedControl) {
        pressEnterIn(IDC_MAX_MANUAL);
        std::optional<MessageBoxSeen> seen = answerPrompt();
        ASSERT_TRUE(seen) << "no prompt came";
        EXPECT_EQ(seen->caption, "Kovra");
        EXPECT_EQ(seen->text, prompt);
        EXPECT_EQ(focusedId(), focusedControl);
        EXPECT_TRUE(stillOpen());
    }
};

// The members show when the window opens, each in its own control; a frame rate of 2 checks
// the third button, 1018: guards against groups indexed by identifier.
TEST_F(RecorderExchange, MembersShowWhenTheWindowOpens) {
    dialog.settings.maxCycleFiles = 40;
    dialog.settings.maxGsensorFiles = 10;
    dialog.settings.maxManualFiles = 30;
    dialog.settings.triggerResolution = 1;
    dialog.settings.loopResolution = 1;
    dialog.settings.frameRate = 2;
    dialog.settings.overwrite = 1;
    start();
    EXPECT_EQ(text(IDC_MAX_CYCLE), "40");
    EXPECT_EQ(text(IDC_MAX_GSENSOR), "10");
    EXPECT_EQ(text(IDC_MAX_MANUAL), "30");
    EXPECT_EQ(text(IDC_YEAR), "2007");
    EXPECT_EQ(text(IDC_MONTH), "10");
    EXPECT_EQ(text(IDC_DAY), "16");
    EXPECT_EQ(text(IDC_HOUR), "8");
    EXPECT_EQ(text(IDC_MINUTE), "16");
    EXPECT_EQ(text(IDC_SECOND), "47");
    EXPECT_FALSE(checked(IDC_TRIGGER_QVGA));
    EXPECT_TRUE(checked(IDC_TRIGGER_VGA));
    EXPECT_FALSE(checked(IDC_LOOP_QVGA));
    EXPECT_TRUE(checked(IDC_LOOP_VGA));
    EXPECT_FALSE(checked(IDC_FPS_30));
    EXPECT_FALSE(checked(IDC_FPS_24));
    EXPECT_TRUE(checked(IDC_FPS_15));
    EXPECT_FALSE(checked(IDC_FPS_13_3));
    EXPECT_FALSE(checked(IDC_OVERWRITE_YES));
    EXPECT_TRUE(checked(IDC_OVERWRITE_NO));
    EXPECT_EQ(cancel(), IDCANCEL);
}

// The OK command takes every control into its own member and ends with OK; checking
// "13.3FPS" (1019) gives 3, and the edges of every range pass: guards against crossed
// controls and members, and ranges closed too early.
TEST_F(RecorderExchange, OkTakesEveryControl) {
    start();
    type(IDC_MAX_CYCLE, " 0042 ");
    type(IDC_MAX_GSENSOR, "65535");
    type(IDC_MAX_MANUAL, "0");
    click(IDC_TRIGGER_VGA);
    click(IDC_LOOP_VGA);
    click(IDC_FPS_13_3);
    click(IDC_OVERWRITE_NO);
    type(IDC_DAY, "31");
    type(IDC_HOUR, "24");
    type(IDC_MINUTE, "60");
    type(IDC_MONTH, "2");
    type(IDC_SECOND, "60");
    type(IDC_YEAR, "+9999");
    pressEnterIn(IDC_MAX_CYCLE);
    EXPECT_EQ(result(), IDOK);
    EXPECT_EQ(settingsOf(dialog.settings), std::make_tuple(42, 65535, 0, 1, 1, 3, 1, 8));
    EXPECT_EQ(clockOf(dialog.clockFields), std::make_tuple(9999, 2, 31, 24, 60, 60));
}

// A member outside its group checks no button and comes back as -1, like a group with
// nothing checked: guards against a stale check or an unchanged member.
TEST_F(RecorderExchange, ValueOutsideAGroupChecksNothingAndReadsBackAsMinusOne) {
    dialog.settings.overwrite = 7;
    dialog.settings.triggerResolution = -1;
    start();
    EXPECT_FALSE(checked(IDC_OVERWRITE_YES));
    EXPECT_FALSE(checked(IDC_OVERWRITE_NO));
    EXPECT_FALSE(checked(IDC_TRIGGER_QVGA));
    EXPECT_FALSE(checked(IDC_TRIGGER_VGA));
    pressEnterIn(IDC_MAX_CYCLE);
    EXPECT_EQ(result(), IDOK);
    EXPECT_EQ(dialog.settings.overwrite, -1);
    EXPECT_EQ(dialog.settings.triggerResolution, -1);
}

// Letters in the CYCLE count, the first step: the integer prompt, the focus on that count,
// and no member changes at all: guards against steps run past a failure.
TEST_F(RecorderExchange, LettersInTheFirstCountChangeNothing) {
    start();
    auto settingsBefore = settingsOf(dialog.settings);
    auto clockBefore = clockOf(dialog.clockFields);
    changeEverything();
    type(IDC_MAX_CYCLE, "12a");
    expectPrompt("Please enter an integer.", IDC_MAX_CYCLE);
    EXPECT_EQ(cancel(), IDCANCEL);
    EXPECT_EQ(settingsOf(dialog.settings), settingsBefore);
    EXPECT_EQ(clockOf(dialog.clockFields), clockBefore);
}

// Hour 25: its range prompt and focus; the hour is stored, the steps before it have taken
// their values and the ones after it keep theirs.
TEST_F(RecorderExchange, HourOutOfRangeIsStoredAndStopsTheExchange) {
    start();
    changeEverything();
    type(IDC_HOUR, "25");
    expectPrompt("Please enter an integer between 0 and 24.", IDC_HOUR);
    EXPECT_EQ(cancel(), IDCANCEL);
    EXPECT_EQ(settingsOf(dialog.settings), std::make_tuple(41, 11, 31, 1, 1, 3, 1, 8));
    // Day (step 8) and hour (step 9) are new; minute, month, second and year are not.
    EXPECT_EQ(clockOf(dialog.clockFields), std::make_tuple(2007, 10, 17, 25, 16, 47));
}

// A count the card's 16 bits cannot hold is refused with the range prompt right after it is
// parsed, before it could be saved as another number.
TEST_F(RecorderExchange, CountBeyondSixteenBitsIsRefused) {
    start();
    changeEverything();
    type(IDC_MAX_GSENSOR, "70000");
    expectPrompt("Please enter an integer between 0 and 65535.", IDC_MAX_GSENSOR);
    EXPECT_EQ(cancel(), IDCANCEL);
    EXPECT_EQ(settingsOf(dialog.settings), std::make_tuple(41, 70000, 20, 0, 0, 0, 0, 8));
}

// Just past either end of each range, each field prompts with its own range and gets the
// focus: guards against a range bound to the wrong field.
TEST_F(RecorderExchange, EachFieldPromptsWithItsOwnRange) {
    struct Case {
        int id;
        const char* valid;
        const char* below;
        const char* above;
        const char* prompt;
    };
    const Case cases[] = {
        {IDC_MAX_CYCLE, "20", "-1", "65536", "Please enter an integer between 0 and 65535."},
        {IDC_MAX_GSENSOR, "20", "-1", "65536", "Please enter an integer between 0 and 65535."},
        {IDC_MAX_MANUAL, "20", "-1", "65536", "Please enter an integer between 0 and 65535."},
        {IDC_DAY, "16", "0", "32", "Please enter an integer between 1 and 31."},
        {IDC_HOUR, "8", "-1", "25", "Please enter an integer between 0 and 24."},
        {IDC_MINUTE, "16", "-1", "61", "Please enter an integer between 0 and 60."},
        {IDC_MONTH, "10", "0", "13", "Please enter an integer between 1 and 12."},
        {IDC_SECOND, "47", "-1", "61", "Please enter an integer between 0 and 60."},
        {IDC_YEAR, "2007", "0", "10000", "Please enter an integer between 1 and 9999."},
    };
    start();
    for (const Case& c : cases) {
        for (const char* wrong : {c.below, c.above}) {
            SCOPED_TRACE(std::string("control ") + std::to_string(c.id) + " = " + wrong);
            type(c.id, wrong);
            expectPrompt(c.prompt, c.id);
            type(c.id, c.valid);
        }
    }
    EXPECT_EQ(cancel(), IDCANCEL);
}

// A number beyond 32 bits is not an integer at all, even in a field with a range: guards
// against an overflow that wraps into the range or reaches the range prompt.
TEST_F(RecorderExchange, NumberBeyondThirtyTwoBitsIsNotAnInteger) {
    start();
    type(IDC_YEAR, "4294969303"); // 2^32 + 2007
    expectPrompt("Please enter an integer.", IDC_YEAR);
    EXPECT_EQ(cancel(), IDCANCEL);
    EXPECT_EQ(dialog.clockFields.year, 2007);
}

} // namespace
} // namespace kovra::test
