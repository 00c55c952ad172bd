// Runs something modal (a dialog, a file dialog) on a thread of its own, so that the test's
// thread can drive it as a user would and read the result when it ends.
#pragma once

#include <functional>
#include <future>
#include <optional>
#include <thread>

#include <windows.h>

namespace kovra::test {

class ModalRun {
  public:
    explicit ModalRun(std::function<INT_PTR()> modal);
    // Ends a run that is still going with cancel, so a failed test does not hang the next.
    ~ModalRun();
    ModalRun(const ModalRun&) = delete;
    ModalRun& operator=(const ModalRun&) = delete;

    DWORD threadId() const { return threadId_; }
    // The run's visible window without owner, once it shows; null when none came.
    HWND window();
    // Waits for the run to end: the modal call's result, or nothing when it did not end.
    std::optional<INT_PTR> result();

  private:
    void forceEnd();

    std::future<INT_PTR> result_;
    std::thread thread_;
    DWORD threadId_ = 0;
    HWND window_ = nullptr;
    bool joined_ = false;
};

} // namespace kovra::test
