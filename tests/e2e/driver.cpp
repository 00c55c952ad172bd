// kovra_driver: works on a running Kovra window from outside, as a user's hands would. It
// starts nothing itself. Each argument is one step, run in order:
//
//   wait                       wait for the Kovra window to appear
//   gone                       wait for it to go away
//   text ID EXPECTED...        the control's text equals EXPECTED (the rest of the step)
//   set ID TEXT...             type TEXT into the control (replacing what it held)
//   click ID                   press the push button or radio button
//   checked ID 0|1             the button's check state
//   enabled ID 0|1             the control's enabled state
//   slider ID POS              the trackbar's position
//   key ID VK                  press a virtual key (decimal) with the focus on the control
//   close-box                  the window's close box
//   file PATH...               answer the open or save dialog with PATH
//   file-cancel                cancel the open or save dialog
//   answer TEXT-PART BUTTON    a message box whose text holds TEXT-PART (* for any): press
//                              BUTTON (ok, yes, no, cancel)
//   quiet SECONDS              no dialog or message box of the window opens meanwhile
//
// Prints one line per step; the first failing step ends the run with exit code 1.
#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <sstream>
#include <stdexcept>
#include <string>
#include <type_traits>

#include "testkit/win32/gui_driver.h"

namespace {

using namespace kovra::test;

constexpr int kSetConfigId = 1010; // only the main window has it
constexpr int kFileNameBox = 1148; // the platform's open and save dialogs have it

HWND mainWindow = nullptr;

// Another process's edits answer WM_GETTEXT only; GetWindowText would give their caption.
std::string controlText(HWND window) {
    char text[1024] = "";
    SendMessageA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
    return text;
}

BOOL CALLBACK matchMain(HWND window, LPARAM found) {
    // The window shows itself only once its start-up is done.
    if (!IsWindowVisible(window) || windowClass(window) != "#32770" ||
        windowText(window) != "Kovra" || !GetDlgItem(window, kSetConfigId))
        return TRUE;
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
}

HWND findMain() {
    HWND found = nullptr;
    EnumWindows(matchMain, reinterpret_cast<LPARAM>(&found));
    return found;
}

DWORD windowThread() {
    return GetWindowThreadProcessId(mainWindow, nullptr);
}

HWND ownedDialog() {
    return findDialog(windowThread(), mainWindow);
}

bool isFileDialog(HWND dialog) {
    return GetDlgItem(dialog, kFileNameBox) != nullptr;
}

// A message box of the window, or of its file dialog (the overwrite question).
HWND findMessageBox() {
    HWND dialog = ownedDialog();
    if (dialog && !isFileDialog(dialog))
        return dialog;
    return dialog ? findDialog(windowThread(), dialog) : nullptr;
}

HWND control(int id) {
    HWND item = GetDlgItem(mainWindow, id);
    if (!item)
        throw std::runtime_error("no control " + std::to_string(id));
    return item;
}

void press(HWND button, HWND window) {
    PostMessageA(button, BM_CLICK, 0, 0);
    settle(window);
}

std::string rest(std::istringstream& in) {
    std::string text;
    std::getline(in >> std::ws, text);
    return text;
}

int number(std::istringstream& in) {
    int value;
    if (!(in >> value))
        throw std::runtime_error("expected a number");
    return value;
}

// A command may still be at work (the shell can pump messages while it starts the player):
// a state is given a few seconds to arrive before the step fails.
constexpr DWORD kSettleMs = 5000;

template <typename Value, typename Probe>
bool becomes(Probe probe, const Value& expected, std::string& detail) {
    Value actual = probe();
    for (DWORD waited = 0; actual != expected && waited < kSettleMs; waited += 50) {
        Sleep(50);
        actual = probe();
    }
    if constexpr (std::is_same_v<Value, std::string>)
        detail = actual;
    else
        detail = std::to_string(actual);
    return actual == expected;
}

bool run(const std::string& step, std::string& detail) {
    std::istringstream in(step);
    std::string verb;
    in >> verb;
    if (verb == "wait")
        return (mainWindow = waitForWindow(findMain)) != nullptr;
    if (verb == "gone")
        return waitUntil([] { return findMain() == nullptr; });
    if (!mainWindow)
        throw std::runtime_error("no Kovra window: start with 'wait'");
    if (verb == "text") {
        HWND item = control(number(in));
        return becomes([&] { return controlText(item); }, rest(in), detail);
    }
    if (verb == "set") {
        HWND item = control(number(in));
        std::string text = rest(in);
        SendMessageA(item, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
        return true;
    }
    if (verb == "click") {
        press(control(number(in)), mainWindow);
        return true;
    }
    if (verb == "checked") {
        HWND item = control(number(in));
        return becomes([&] { return SendMessageA(item, BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0; },
                       number(in), detail);
    }
    if (verb == "enabled") {
        HWND item = control(number(in));
        return becomes([&] { return IsWindowEnabled(item) ? 1 : 0; }, number(in), detail);
    }
    if (verb == "slider") {
        HWND item = control(number(in));
        return becomes([&] { return static_cast<int>(SendMessageA(item, TBM_GETPOS, 0, 0)); },
                       number(in), detail);
    }
    if (verb == "key") {
        HWND item = control(number(in));
        focusControl(mainWindow, item);
        pressKey(item, static_cast<UINT>(number(in)));
        settle(mainWindow);
        return true;
    }
    if (verb == "close-box") {
        PostMessageA(mainWindow, WM_SYSCOMMAND, SC_CLOSE, 0);
        return true;
    }
    if (verb == "file" || verb == "file-cancel") {
        HWND dialog = waitForWindow(ownedDialog);
        if (!dialog) {
            detail = "no file dialog opened";
            return false;
        }
        detail = windowText(dialog);
        if (verb == "file-cancel") {
            press(GetDlgItem(dialog, IDCANCEL), mainWindow);
            return true;
        }
        if (!isFileDialog(dialog)) {
            detail += ": not a file dialog";
            return false;
        }
        answerFileDialog(dialog, rest(in));
        // The command goes on once the dialog is gone, unless the dialog asks a question first.
        waitUntil([&] { return !IsWindow(dialog) || findDialog(windowThread(), dialog); });
        settle(mainWindow);
        return true;
    }
    if (verb == "answer") {
        std::string part, button;
        in >> part >> button;
        int id = button == "yes"      ? IDYES
                 : button == "no"     ? IDNO
                 : button == "cancel" ? IDCANCEL
                                      : IDOK;
        HWND box = waitForWindow(findMessageBox);
        auto seen = box ? answerMessageBox(GetWindow(box, GW_OWNER), id) : std::nullopt;
        settle(mainWindow);
        if (!seen) {
            detail = "no message box opened";
            return false;
        }
        detail = seen->text;
        return part == "*" || seen->text.find(part) != std::string::npos;
    }
    if (verb == "quiet") {
        DWORD until = GetTickCount() + static_cast<DWORD>(number(in)) * 1000;
        while (static_cast<LONG>(GetTickCount() - until) < 0) {
            if (HWND opened = ownedDialog()) {
                detail = "opened: " + windowText(opened);
                return false;
            }
            Sleep(50);
        }
        return true;
    }
    throw std::runtime_error("unknown step '" + verb + "'");
}

} // namespace

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        std::string detail;
        bool passed = false;
        try {
            passed = run(argv[i], detail);
        } catch (const std::exception& error) {
            detail = error.what();
        }
        std::printf("%s  %s%s%s\n", passed ? "ok  " : "FAIL", argv[i],
                    detail.empty() ? "" : "  -> ", detail.c_str());
        std::fflush(stdout);
        if (!passed)
            return 1;
    }
    return 0;
}
