// kovra_driver: works on a running Kovra window from outside, as a user's hands would. It
// starts nothing itself. Each argument is one step, run in order:
//
//   wait SECONDS               wait for the Kovra window to appear
//   gone SECONDS               wait for it to go away
//   text ID EXPECTED...        the control's text equals EXPECTED (the rest of the step)
//   set ID TEXT...             type TEXT into the control (replacing what it held)
//   click ID                   press the push button or radio button
//   checked ID 0|1             the button's check state
//   enabled ID 0|1             the control's enabled state
//   slider ID POS              the trackbar's position
//   key ID VK                  press a virtual key (decimal) with the focus on the control
//   syscommand CLOSE           the close box
//   file PATH...               answer the open or save dialog with PATH
//   file-cancel                cancel the open or save dialog
//   answer TEXT-PART BUTTON    a message box whose text holds TEXT-PART (or * for any):
//                              press BUTTON (ok, yes, no, cancel)
//   none-open SECONDS          no dialog or message box of the window opens meanwhile
//
// Prints one line per step; the first failing step ends the run with exit code 1.
#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

constexpr int kSetConfigId = 1010; // present only in the main window
constexpr int kFileNameCombo = 1148;
constexpr int kFileNameEdit = 1152;
constexpr int kMessageTextId = 0xFFFF;

HWND mainWindow = nullptr;

std::string windowText(HWND window) {
    char text[1024] = {};
    SendMessageA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
    return text;
}

std::string className(HWND window) {
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

struct Search {
    HWND found = nullptr;
    HWND owner = nullptr;
};

BOOL CALLBACK findMain(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<Search*>(param);
    if (className(window) == "#32770" && windowText(window) == "Kovra" &&
        GetDlgItem(window, kSetConfigId)) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK findOwned(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<Search*>(param);
    if (IsWindowVisible(window) && GetWindow(window, GW_OWNER) == search->owner &&
        className(window) == "#32770") {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

HWND findMainWindow() {
    Search search;
    EnumWindows(findMain, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// The dialog or message box the main window has open, if any.
HWND findOwnedDialog() {
    Search search;
    search.owner = mainWindow;
    EnumWindows(findOwned, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

template <typename Probe> HWND waitFor(Probe probe, double seconds) {
    DWORD until = GetTickCount() + static_cast<DWORD>(seconds * 1000);
    for (;;) {
        if (HWND found = probe())
            return found;
        if (static_cast<LONG>(GetTickCount() - until) > 0)
            return nullptr;
        Sleep(50);
    }
}

// Lets the window's thread work through what was posted to it, including a modal loop.
void settle() {
    if (mainWindow) {
        DWORD_PTR ignored;
        SendMessageTimeoutA(mainWindow, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &ignored);
    }
    Sleep(100);
}

HWND control(int id) {
    HWND item = mainWindow ? GetDlgItem(mainWindow, id) : nullptr;
    if (!item)
        throw std::runtime_error("no control " + std::to_string(id));
    return item;
}

void press(HWND button) {
    PostMessageA(button, BM_CLICK, 0, 0);
    settle();
}

std::string rest(std::istringstream& in) {
    std::string text;
    std::getline(in >> std::ws, text);
    return text;
}

int expectInt(std::istringstream& in) {
    int value;
    if (!(in >> value))
        throw std::runtime_error("expected a number");
    return value;
}

bool run(const std::string& step, std::string& detail) {
    std::istringstream in(step);
    std::string verb;
    in >> verb;
    if (verb == "wait") {
        double seconds = expectInt(in);
        mainWindow = waitFor(findMainWindow, seconds);
        return mainWindow != nullptr;
    }
    if (verb == "gone") {
        double seconds = expectInt(in);
        return waitFor([] { return findMainWindow() ? nullptr : HWND(1); }, seconds) != nullptr;
    }
    if (!mainWindow)
        throw std::runtime_error("no Kovra window: start with 'wait'");
    if (verb == "text") {
        int id = expectInt(in);
        std::string expected = rest(in);
        detail = windowText(control(id));
        return detail == expected;
    }
    if (verb == "set") {
        int id = expectInt(in);
        std::string text = rest(in);
        SendMessageA(control(id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
        return true;
    }
    if (verb == "click") {
        press(control(expectInt(in)));
        return true;
    }
    if (verb == "checked") {
        int id = expectInt(in);
        int expected = expectInt(in);
        int state = SendMessageA(control(id), BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0;
        detail = std::to_string(state);
        return state == expected;
    }
    if (verb == "enabled") {
        int id = expectInt(in);
        int expected = expectInt(in);
        int state = IsWindowEnabled(control(id)) ? 1 : 0;
        detail = std::to_string(state);
        return state == expected;
    }
    if (verb == "slider") {
        int id = expectInt(in);
        int expected = expectInt(in);
        int position = static_cast<int>(SendMessageA(control(id), TBM_GETPOS, 0, 0));
        detail = std::to_string(position);
        return position == expected;
    }
    if (verb == "key") {
        HWND target = control(expectInt(in));
        WPARAM key = static_cast<WPARAM>(expectInt(in));
        // Focus goes through the window's own thread so the dialog manager sees the keys.
        SendMessageA(mainWindow, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(target), TRUE);
        PostMessageA(target, WM_KEYDOWN, key, 1);
        PostMessageA(target, WM_KEYUP, key, 0xC0000001);
        settle();
        return true;
    }
    if (verb == "syscommand") {
        PostMessageA(mainWindow, WM_SYSCOMMAND, SC_CLOSE, 0);
        settle();
        return true;
    }
    if (verb == "file" || verb == "file-cancel") {
        HWND dialog = waitFor(findOwnedDialog, 10);
        if (!dialog) {
            detail = "no file dialog opened";
            return false;
        }
        detail = windowText(dialog);
        if (verb == "file-cancel") {
            press(GetDlgItem(dialog, IDCANCEL));
            return true;
        }
        std::string path = rest(in);
        HWND name = GetDlgItem(dialog, kFileNameCombo);
        if (!name)
            name = GetDlgItem(dialog, kFileNameEdit);
        if (!name) {
            detail += ": no file name box";
            return false;
        }
        SendMessageA(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
        press(GetDlgItem(dialog, IDOK));
        return true;
    }
    if (verb == "answer") {
        std::string part;
        std::string button;
        in >> part >> button;
        HWND box = waitFor(findOwnedDialog, 10);
        if (!box) {
            detail = "no message box opened";
            return false;
        }
        HWND textItem = GetDlgItem(box, kMessageTextId);
        detail = textItem ? windowText(textItem) : windowText(box);
        int id = button == "yes"      ? IDYES
                 : button == "no"     ? IDNO
                 : button == "cancel" ? IDCANCEL
                                      : IDOK;
        press(GetDlgItem(box, id));
        return part == "*" || detail.find(part) != std::string::npos;
    }
    if (verb == "none-open") {
        double seconds = expectInt(in);
        HWND opened = waitFor(findOwnedDialog, seconds);
        if (opened)
            detail = "opened: " + windowText(opened);
        return opened == nullptr;
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
