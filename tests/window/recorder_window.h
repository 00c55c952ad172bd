// Kovra's window, run modally on a thread of its own while the test drives it like a user.
#pragma once

#include <gtest/gtest.h>

#include <deque>
#include <initializer_list>
#include <mutex>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include <windows.h>

#include "testkit/shell_log_platform.h"
#include "testkit/win32/gui_driver.h"
#include "testkit/win32/modal_run.h"
#include "window/recorder_dialog.h"

namespace kovra::test {

// The members in comparable form, year first and counts CYCLE, GSENSOR, MANUAL.
inline auto clockOf(const ClockFields& c) {
    return std::make_tuple(c.year, c.month, c.day, c.hour, c.minute, c.second);
}
inline auto settingsOf(const RecorderSettings& s) {
    return std::make_tuple(s.maxCycleFiles, s.maxGsensorFiles, s.maxManualFiles,
                           s.triggerResolution, s.loopResolution, s.frameRate, s.overwrite,
                           s.sensitivityStep);
}

// What the window did, in order. Written on the window's thread, read on the test's.
class EventLog {
  public:
    void add(std::string event) {
        std::lock_guard<std::mutex> lock(mutex_);
        events_.push_back(std::move(event));
    }
    // Everything logged since the last call.
    std::vector<std::string> take() {
        std::lock_guard<std::mutex> lock(mutex_);
        std::vector<std::string> events;
        events.swap(events_);
        return events;
    }

  private:
    std::mutex mutex_;
    std::vector<std::string> events_;
};

// The real platform under the window, with the PC's clock scripted and the calls that matter
// logged: "read", "write" or "readwrite" with the path opened, "time", "copy" with the
// source, "create" with a temporary file made new, "flush" as a file is flushed to the
// storage, "replace" with the file replaced, "shell" with the path handed to the shell. Writes
// can be made to fail, as on a full card.
class RecorderPlatform : public ShellLogPlatform {
  public:
    // 16 October 2007, 08:16:47, a Tuesday.
    SystemTime now = {2007, 10, 2, 16, 8, 16, 47, 123};
    // False: the shell is only logged; true: it really starts the .avi player.
    bool realShell = false;
    OsError writeError = OsError::None;
    EventLog log;

    OsError open(const char* path, OpenMode mode, FileId& file) override {
        static const char* const kinds[] = {"read ", "write ", "readwrite ", "create "};
        log.add(kinds[static_cast<int>(mode)] + std::string(path));
        return real_.open(path, mode, file);
    }
    OsError flush(FileId file) override {
        log.add("flush");
        return real_.flush(file);
    }
    // A process number of its own, so that temporary names are the same on every run.
    std::uint32_t processId() override { return kProcessId; }
    static constexpr std::uint32_t kProcessId = 1234;
    bool processRunning(std::uint32_t processId) override {
        return processId == kProcessId || real_.processRunning(processId);
    }
    OsError write(FileId file, const void* data, std::size_t size) override {
        return writeError != OsError::None ? writeError : real_.write(file, data, size);
    }
    OsError replace(const char* source, const char* target) override {
        log.add(std::string("replace ") + target);
        return real_.replace(source, target);
    }
    SystemTime localTime() override {
        log.add("time");
        return now;
    }
    OsError copy(const char* source, const char* target) override {
        log.add(std::string("copy ") + source);
        return ShellLogPlatform::copy(source, target);
    }
    OsError shellOpen(const char* path) override {
        log.add(std::string("shell ") + path);
        ShellLogPlatform::shellOpen(path);
        return realShell ? real_.shellOpen(path) : OsError::None;
    }
};

// The window with its file dialogs answered by the test, each answer once, in turn. With no
// answer waiting the platform's own dialog shows, for the test to drive.
class ScriptedRecorderDlg : public CRecorderDlg {
  public:
    explicit ScriptedRecorderDlg(Platform& platform) : CRecorderDlg(nullptr, platform) {}

    // A path confirms the dialog with it; nothing cancels it.
    void answerFileDialog(std::optional<std::string> path) {
        std::lock_guard<std::mutex> lock(mutex_);
        answers_.push_back(std::move(path));
    }
    // Every file dialog asked for, as "open" or "save", flags, default extension, proposed
    // file and filter, "|"-separated.
    std::vector<std::string> fileDialogs() {
        std::lock_guard<std::mutex> lock(mutex_);
        return requests_;
    }

  protected:
    INT_PTR runFileDialog(CFileDialog& dialog) override {
        std::optional<std::string> answer;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            requests_.push_back(describe(dialog));
            if (answers_.empty())
                return CRecorderDlg::runFileDialog(dialog);
            answer = answers_.front();
            answers_.pop_front();
        }
        return answer && dialog.Confirm(answer->c_str()) ? IDOK : IDCANCEL;
    }

  private:
    std::string describe(const CFileDialog& dialog) const {
        const OPENFILENAMEA& ofn = dialog.m_ofn;
        return std::string(dialog.IsOpenDialog() ? "open" : "save") + "|" +
               std::to_string(ofn.Flags) + "|" + (ofn.lpstrDefExt ? ofn.lpstrDefExt : "") + "|" +
               ofn.lpstrFile + "|" + dialog.GetFilter() +
               (dialog.GetParentWnd() == this ? "" : "|not owned by the window");
    }

    std::mutex mutex_;
    std::deque<std::optional<std::string>> answers_;
    std::vector<std::string> requests_;
};

// The window's radio buttons, group by group in template order, and its frame rates.
constexpr std::initializer_list<int> kRadioButtons = {
    IDC_TRIGGER_QVGA, IDC_TRIGGER_VGA, IDC_FPS_30,   IDC_FPS_24,        IDC_FPS_15,
    IDC_FPS_13_3,     IDC_LOOP_QVGA,   IDC_LOOP_VGA, IDC_OVERWRITE_YES, IDC_OVERWRITE_NO};
constexpr std::initializer_list<int> kFrameRates = {IDC_FPS_30, IDC_FPS_24, IDC_FPS_15,
                                                    IDC_FPS_13_3};

class RecorderWindow : public ::testing::Test {
  protected:
    // Shows the window with the members as they are now.
    void start() {
        run_.emplace([this] { return dialog.DoModal(); });
        window_ = run_->window();
        ASSERT_NE(window_, nullptr) << "the window did not show";
    }
    HWND window() const { return window_; }
    HWND control(int id) const { return GetDlgItem(window_, id); }

    std::string text(int id) const { return windowText(control(id)); }
    void type(int id, const char* text) {
        SendMessageA(control(id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
    }
    // A click that returns once its command has run. A command that shows a prompt or a
    // file dialog of the platform needs post instead.
    // A disabled control takes no click from a user (and a disabled radio button can hang
    // Wine's group walk).
    void click(int id) {
        if (!IsWindowEnabled(control(id))) {
            ADD_FAILURE() << "control " << id << " is disabled";
            return;
        }
        SendMessageA(control(id), BM_CLICK, 0, 0);
    }
    // A click that returns at once, while its command runs on.
    void post(int id) {
        PostMessageA(window_, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                     reinterpret_cast<LPARAM>(control(id)));
    }
    bool checked(int id) const {
        return SendMessageA(control(id), BM_GETCHECK, 0, 0) == BST_CHECKED;
    }
    bool enabled(int id) const { return IsWindowEnabled(control(id)) != FALSE; }
    // Of ids, the ones checked (or enabled), in the order given.
    std::vector<int> checkedOf(std::initializer_list<int> ids) const {
        return only(ids, [this](int id) { return checked(id); });
    }
    std::vector<int> enabledOf(std::initializer_list<int> ids) const {
        return only(ids, [this](int id) { return enabled(id); });
    }
    int focusedId() const { return GetDlgCtrlID(focusIn(window_)); }
    int sliderPos() const {
        return static_cast<int>(SendMessageA(control(IDC_SENSITIVITY), TBM_GETPOS, 0, 0));
    }

    // The OK command: Enter while an edit has the focus.
    void pressEnterIn(int id) { test::pressEnterIn(window_, control(id)); }
    std::optional<MessageBoxSeen> answerPrompt() { return answerMessageBox(window_); }
    bool stillOpen() { return settle(window_) && IsWindowVisible(window_); }
    // Waits for the modal run to end: its result, or nothing when it did not end.
    std::optional<INT_PTR> result() { return run_->result(); }
    std::optional<INT_PTR> cancel() {
        PostMessageA(window_, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        return result();
    }

    RecorderPlatform platform;
    ScriptedRecorderDlg dialog{platform};

  private:
    template <class Test> static std::vector<int> only(std::initializer_list<int> ids, Test test) {
        std::vector<int> kept;
        for (int id : ids)
            if (test(id))
                kept.push_back(id);
        return kept;
    }

    std::optional<ModalRun> run_;
    HWND window_ = nullptr;
};

} // namespace kovra::test
