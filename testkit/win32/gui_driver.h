// Driving real windows from another thread or process, as a user would: find them, type,
// click, press keys, answer message boxes. Nothing here needs the windows' own code.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include <windows.h>

namespace kovra::test {

// How long to wait for a window to appear or go; reached only when something hangs.
constexpr DWORD kPatienceMs = 30000;

std::string windowText(HWND window);
std::string windowClass(HWND window);

// Polls done until it says so; false when patience runs out first.
bool waitUntil(const std::function<bool()>& done);
// Polls find until it gives a window; null when patience runs out.
HWND waitForWindow(const std::function<HWND()>& find);
// The first visible dialog-class window (#32770) of thread that owner owns (null: that has no
// owner), other than except.
HWND findDialog(DWORD threadId, HWND owner, HWND except = nullptr);
// The visible dialog-class window without owner of a process: a program's main dialog.
HWND findProcessDialog(DWORD processId);
// True once window is gone, false when patience runs out first.
bool waitUntilGone(HWND window);
// Returns once window's thread has handled what was sent or posted to it before.
bool settle(HWND window);

// The window that has the keyboard focus in window's thread.
HWND focusIn(HWND window);
// Moves the focus the way the Tab key does, so the dialog also updates its default button.
void focusControl(HWND dialog, HWND control);
void pressKey(HWND target, UINT virtualKey);
// Focuses control and presses Enter in it.
void pressEnterIn(HWND dialog, HWND control);

struct MessageBoxSeen {
    std::string caption;
    std::string text;
};
// Waits for a message box that owner owns, reads it, presses button and waits until the box
// is gone and owner's thread has gone on (or owner is gone too). Nothing when no box came.
std::optional<MessageBoxSeen> answerMessageBox(HWND owner, int button = IDOK);

// The platform's open and save dialogs: what their file-name box (1148) and file-type box
// (1136) show, and an answer typed into the name box and confirmed with the OK button.
std::string fileDialogName(HWND dialog);
std::string fileDialogType(HWND dialog);
void answerFileDialog(HWND dialog, const std::string& name);

} // namespace kovra::test
