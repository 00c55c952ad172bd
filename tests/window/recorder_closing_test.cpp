// How the window ends, and what it shows while minimized.
#include <gtest/gtest.h>

#include <atomic>

#include "tests/window/recorder_window.h"

namespace kovra::test {
namespace {

enum class Closer { CloseButton, Escape, CloseBox };

std::string closerName(const ::testing::TestParamInfo<Closer>& info) {
    switch (info.param) {
    case Closer::CloseButton:
        return "CloseButton";
    case Closer::Escape:
        return "Escape";
    case Closer::CloseBox:
        return "CloseBox";
    }
    return "?";
}

class RecorderClosing : public RecorderWindow, public ::testing::WithParamInterface<Closer> {};

// "Close", Escape and the close box end the run with cancel and take nothing from the
// controls, not even from a field that would fail: guards against a closing path that runs
// the exchange (its prompt would hold the window open).
TEST_P(RecorderClosing, EndsWithCancelAndTakesNothing) {
    start();
    type(IDC_MAX_CYCLE, "not a number");
    type(IDC_MAX_GSENSOR, "33");
    switch (GetParam()) {
    case Closer::CloseButton:
        click(IDCANCEL);
        break;
    case Closer::Escape:
        focusControl(window(), control(IDC_MAX_GSENSOR));
        pressKey(control(IDC_MAX_GSENSOR), VK_ESCAPE);
        break;
    case Closer::CloseBox:
        PostMessageA(window(), WM_SYSCOMMAND, SC_CLOSE, 0);
        break;
    }
    EXPECT_EQ(result(), IDCANCEL);
    EXPECT_EQ(dialog.settings.maxGsensorFiles, 20);
}

INSTANTIATE_TEST_SUITE_P(EveryWay, RecorderClosing,
                         ::testing::Values(Closer::CloseButton, Closer::Escape, Closer::CloseBox),
                         closerName);

using RecorderKeys = RecorderWindow;

// The window opens with the focus on its first tab stop, "Close". Enter on a focused push
// button is that button, not the OK command, so a field that would fail prompts nothing:
// guards against a default push button in the template. (Wine, unlike Windows, makes the
// first focused button the default only once the focus moves, so the test tabs to it.)
TEST_F(RecorderKeys, EnterOnAFocusedPushButtonIsThatButton) {
    start();
    EXPECT_EQ(focusedId(), IDCANCEL);
    type(IDC_MAX_CYCLE, "not a number");
    focusControl(window(), control(IDC_MAX_CYCLE));
    focusControl(window(), control(IDCANCEL));
    pressKey(control(IDCANCEL), VK_RETURN);
    EXPECT_EQ(result(), IDCANCEL);
}

// Enter in an edit is the OK command: it does not end the window while a field fails, and it
// does once the field is mended.
TEST_F(RecorderKeys, EnterInAnEditEndsWithOkOnlyWhenTheDataPasses) {
    start();
    type(IDC_MONTH, "13");
    pressEnterIn(IDC_MONTH);
    std::optional<MessageBoxSeen> prompt = answerPrompt();
    ASSERT_TRUE(prompt);
    EXPECT_EQ(prompt->text, "Please enter an integer between 1 and 12.");
    EXPECT_TRUE(stillOpen());
    type(IDC_MONTH, "12");
    pressEnterIn(IDC_MONTH);
    EXPECT_EQ(result(), IDOK);
    EXPECT_EQ(dialog.clockFields.month, 12);
}

std::atomic<int> iconBackgroundErased{0};

LRESULT CALLBACK watchIconBackground(int code, WPARAM wParam, LPARAM lParam) {
    const CWPSTRUCT* sent = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && sent->message == WM_ICONERASEBKGND && sent->wParam != 0)
        ++iconBackgroundErased;
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

using RecorderIcon = RecorderWindow;

// Dragging the minimized window shows the program's icon 128.
TEST_F(RecorderIcon, DragIconIsTheProgramIcon) {
    start();
    HICON programIcon = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_MAINFRAME));
    ASSERT_NE(programIcon, nullptr);
    EXPECT_EQ(reinterpret_cast<HICON>(SendMessageA(window(), WM_QUERYDRAGICON, 0, 0)), programIcon);
    EXPECT_EQ(cancel(), IDCANCEL);
}

// Painting: a normal window is left to the platform, which paints it and validates it; a
// minimized one erases the icon's background with its paint context before drawing the icon.
TEST_F(RecorderIcon, MinimizedPaintingDrawsTheIcon) {
    start();
    HHOOK hook = SetWindowsHookExA(WH_CALLWNDPROC, watchIconBackground, nullptr,
                                   GetWindowThreadProcessId(window(), nullptr));
    ASSERT_NE(hook, nullptr);
    iconBackgroundErased = 0;

    InvalidateRect(window(), nullptr, FALSE);
    SendMessageA(window(), WM_PAINT, 0, 0);
    EXPECT_FALSE(GetUpdateRect(window(), nullptr, FALSE)) << "the default painting did not run";
    EXPECT_EQ(iconBackgroundErased, 0);

    ShowWindow(window(), SW_MINIMIZE);
    ASSERT_TRUE(IsIconic(window()));
    SendMessageA(window(), WM_PAINT, 0, 0);
    EXPECT_EQ(iconBackgroundErased, 1);

    UnhookWindowsHookEx(hook);
    ShowWindow(window(), SW_RESTORE);
    EXPECT_EQ(cancel(), IDCANCEL);
}

} // namespace
} // namespace kovra::test
