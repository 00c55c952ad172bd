// Kovra.exe itself, started as a user starts it: its window, how it ends, and that its
// command line changes nothing.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include <windows.h>

#include "testkit/win32/gui_driver.h"
#include "tests/support/wine_drives.h"
#include "window/control_ids.h"

namespace kovra::test {
namespace {

// The program beside the build's test folder: build/<preset>/Kovra.exe.
std::string programPath() {
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    if (length == 0 || length >= sizeof path)
        return {};
    std::string folder(path, std::strrchr(path, '\\'));
    return folder.substr(0, folder.rfind('\\')) + "\\Kovra.exe";
}

class Program : public ::testing::Test {
  protected:
    // The card in place, so that every control of the window can be used.
    void SetUp() override { KOVRA_REQUIRE_DRIVES(kDrivesCard); }
    ~Program() override {
        if (process_.hProcess) {
            if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT)
                TerminateProcess(process_.hProcess, 99);
            CloseHandle(process_.hProcess);
            CloseHandle(process_.hThread);
        }
    }

    // Starts the program with arguments and waits for its window.
    void start(const std::string& arguments = "") {
        std::string path = programPath();
        std::string commandLine = "\"" + path + "\"" + (arguments.empty() ? "" : " " + arguments);
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        ASSERT_TRUE(CreateProcessA(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0,
                                   nullptr, nullptr, &startup, &process_))
            << "cannot start " << path;
        window_ = waitForWindow([this] { return findProcessDialog(process_.dwProcessId); });
        ASSERT_NE(window_, nullptr) << "the program showed no window";
    }
    // The program's exit code once it has ended; 259 (STILL_ACTIVE) when it does not end.
    DWORD exitCode() {
        WaitForSingleObject(process_.hProcess, kPatienceMs);
        DWORD code = STILL_ACTIVE;
        GetExitCodeProcess(process_.hProcess, &code);
        return code;
    }
    HWND control(int id) const { return GetDlgItem(window_, id); }
    void type(int id, const char* text) {
        SendMessageA(control(id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
    }
    // What the window shows: every control's text, and whether each button is checked. The
    // date and time fields show the PC's clock, which moves on between two runs.
    std::vector<std::string> shown() const {
        std::vector<std::string> texts;
        for (HWND c = GetWindow(window_, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
            int id = GetDlgCtrlID(c);
            bool clock = id >= IDC_YEAR && id <= IDC_SECOND;
            texts.push_back((clock ? "(clock)" : windowText(c)) +
                            (SendMessageA(c, BM_GETCHECK, 0, 0) ? " [x]" : ""));
        }
        return texts;
    }

    HWND window_ = nullptr;
    PROCESS_INFORMATION process_{};
};

// The window shows with its caption, and "Close" ends the program normally.
TEST_F(Program, CloseButtonEndsTheProgram) {
    start();
    EXPECT_EQ(windowText(window_), "Kovra");
    PostMessageA(window_, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                 reinterpret_cast<LPARAM>(control(IDCANCEL)));
    EXPECT_EQ(exitCode(), 0u);
}

// Escape and the close box end the program as "Close" does.
TEST_F(Program, EscapeEndsTheProgram) {
    start();
    focusControl(window_, control(IDC_MAX_CYCLE));
    pressKey(control(IDC_MAX_CYCLE), VK_ESCAPE);
    EXPECT_EQ(exitCode(), 0u);
}

TEST_F(Program, CloseBoxEndsTheProgram) {
    start();
    PostMessageA(window_, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_EQ(exitCode(), 0u);
}

// The OK command: a field that fails prompts under the program's name and keeps the program
// running; once every field passes, the program ends as after "Close". Guards against a
// prompt caption other than "Kovra" and a program that ends (or stays) on the wrong outcome.
TEST_F(Program, OkEndsTheProgramOnlyWhenTheDataPasses) {
    start();
    type(IDC_MAX_CYCLE, "many");
    pressEnterIn(window_, control(IDC_MAX_CYCLE));
    std::optional<MessageBoxSeen> prompt = answerMessageBox(window_);
    ASSERT_TRUE(prompt) << "no prompt came";
    EXPECT_EQ(prompt->caption, "Kovra");
    EXPECT_EQ(prompt->text, "Please enter an integer.");
    EXPECT_EQ(WaitForSingleObject(process_.hProcess, 0), static_cast<DWORD>(WAIT_TIMEOUT));

    for (auto [id, text] : {std::pair{IDC_MAX_CYCLE, "40"},
                            {IDC_YEAR, "2008"},
                            {IDC_MONTH, "2"},
                            {IDC_DAY, "29"},
                            {IDC_HOUR, "23"},
                            {IDC_MINUTE, "59"},
                            {IDC_SECOND, "59"}})
        type(id, text);
    pressEnterIn(window_, control(IDC_MAX_CYCLE));
    EXPECT_EQ(exitCode(), 0u);
}

// Arguments are never read: the window shows exactly what it shows without them, and ends
// the same way.
TEST_F(Program, ArgumentsChangeNothing) {
    start();
    std::vector<std::string> plain = shown();
    PostMessageA(window_, WM_SYSCOMMAND, SC_CLOSE, 0);
    ASSERT_EQ(exitCode(), 0u);
    CloseHandle(process_.hProcess);
    CloseHandle(process_.hThread);
    process_ = {};

    start("/config E:\\CONFIG.SYS --play \"MOV0001.avi\" -x");
    EXPECT_EQ(shown(), plain);
    PostMessageA(window_, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_EQ(exitCode(), 0u);
}

} // namespace
} // namespace kovra::test
