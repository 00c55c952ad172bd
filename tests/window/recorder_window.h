// Kovra's window, run modally on a thread of its own while the test drives it like a user.
#pragma once

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <tuple>

#include <windows.h>

#include "tests/support/win32/gui_driver.h"
#include "tests/support/win32/modal_run.h"
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

class RecorderWindow : public ::testing::Test {
  protected:
    RecorderWindow() {
        // A date the clock fields accept, so that an OK command can pass.
        dialog.clockFields.year = 2007;
        dialog.clockFields.month = 10;
        dialog.clockFields.day = 16;
        dialog.clockFields.hour = 8;
        dialog.clockFields.minute = 16;
        dialog.clockFields.second = 47;
    }

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
    void click(int id) { SendMessageA(control(id), BM_CLICK, 0, 0); }
    bool checked(int id) const {
        return SendMessageA(control(id), BM_GETCHECK, 0, 0) == BST_CHECKED;
    }
    int focusedId() const { return GetDlgCtrlID(focusIn(window_)); }

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

    CRecorderDlg dialog;

  private:
    std::optional<ModalRun> run_;
    HWND window_ = nullptr;
};

} // namespace kovra::test
