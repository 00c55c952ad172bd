#include "testkit/win32/gui_driver.h"

#include <vector>

namespace kovra::test {

namespace {

constexpr DWORD kPollMs = 10;
constexpr int kFileNameBox = 1148;
constexpr int kFileTypeBox = 1136;

BOOL CALLBACK collectWindow(HWND window, LPARAM windows) {
    reinterpret_cast<std::vector<HWND>*>(windows)->push_back(window);
    return TRUE;
}

std::vector<HWND> threadWindows(DWORD threadId) {
    std::vector<HWND> windows;
    EnumThreadWindows(threadId, collectWindow, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

struct ProcessDialogSearch {
    DWORD processId;
    HWND found;
};

BOOL CALLBACK matchProcessDialog(HWND window, LPARAM search) {
    auto* wanted = reinterpret_cast<ProcessDialogSearch*>(search);
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    if (processId != wanted->processId || !IsWindowVisible(window) ||
        windowClass(window) != "#32770" || GetWindow(window, GW_OWNER) != nullptr)
        return TRUE;
    wanted->found = window;
    return FALSE;
}

} // namespace

std::string windowText(HWND window) {
    char text[1024] = "";
    GetWindowTextA(window, text, sizeof text);
    return text;
}

std::string windowClass(HWND window) {
    char name[256] = "";
    GetClassNameA(window, name, sizeof name);
    return name;
}

bool waitUntil(const std::function<bool()>& done) {
    for (DWORD waited = 0; waited < kPatienceMs; waited += kPollMs) {
        if (done())
            return true;
        Sleep(kPollMs);
    }
    return done();
}

HWND waitForWindow(const std::function<HWND()>& find) {
    HWND found = nullptr;
    waitUntil([&] { return (found = find()) != nullptr; });
    return found;
}

HWND findDialog(DWORD threadId, HWND owner, HWND except) {
    for (HWND window : threadWindows(threadId)) {
        if (window != except && windowClass(window) == "#32770" && IsWindowVisible(window) &&
            GetWindow(window, GW_OWNER) == owner)
            return window;
    }
    return nullptr;
}

HWND findProcessDialog(DWORD processId) {
    ProcessDialogSearch search{processId, nullptr};
    EnumWindows(matchProcessDialog, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

bool waitUntilGone(HWND window) {
    return waitUntil([&] { return !IsWindow(window); });
}

bool settle(HWND window) {
    DWORD_PTR ignored;
    return SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, kPatienceMs, &ignored) != 0;
}

HWND focusIn(HWND window) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info))
        return nullptr;
    return info.hwndFocus;
}

void focusControl(HWND dialog, HWND control) {
    SendMessageA(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control), TRUE);
}

void pressKey(HWND target, UINT virtualKey) {
    PostMessageA(target, WM_KEYDOWN, virtualKey, 1);
    PostMessageA(target, WM_KEYUP, virtualKey, static_cast<LPARAM>(0xC0000001u));
}

void pressEnterIn(HWND dialog, HWND control) {
    focusControl(dialog, control);
    pressKey(control, VK_RETURN);
}

std::optional<MessageBoxSeen> answerMessageBox(HWND owner, int button) {
    DWORD threadId = GetWindowThreadProcessId(owner, nullptr);
    HWND box = waitForWindow([&] { return findDialog(threadId, owner); });
    if (!box)
        return std::nullopt;
    // The platform's message box shows its text in a static control numbered 0xFFFF.
    MessageBoxSeen seen{windowText(box), windowText(GetDlgItem(box, 0xFFFF))};
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(box, button)));
    // The answer may end the owner too, as yes to a save dialog's question does.
    if (!waitUntilGone(box) || !(settle(owner) || !IsWindow(owner)))
        return std::nullopt;
    return seen;
}

std::string fileDialogName(HWND dialog) {
    return windowText(GetDlgItem(dialog, kFileNameBox));
}

std::string fileDialogType(HWND dialog) {
    return windowText(GetDlgItem(dialog, kFileTypeBox));
}

void answerFileDialog(HWND dialog, const std::string& name) {
    SendMessageA(GetDlgItem(dialog, kFileNameBox), WM_SETTEXT, 0,
                 reinterpret_cast<LPARAM>(name.c_str()));
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
}

} // namespace kovra::test
