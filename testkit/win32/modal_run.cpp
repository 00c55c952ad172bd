#include "testkit/win32/modal_run.h"

#include <chrono>

#include "testkit/win32/gui_driver.h"

namespace kovra::test {

ModalRun::ModalRun(std::function<INT_PTR()> modal) {
    std::promise<DWORD> started;
    std::promise<INT_PTR> ended;
    result_ = ended.get_future();
    std::future<DWORD> id = started.get_future();
    thread_ = std::thread([modal = std::move(modal), started = std::move(started),
                           ended = std::move(ended)]() mutable {
        started.set_value(GetCurrentThreadId());
        ended.set_value(modal());
    });
    threadId_ = id.get();
}

ModalRun::~ModalRun() {
    if (!joined_ && result_.wait_for(std::chrono::seconds(0)) != std::future_status::ready)
        forceEnd();
    if (thread_.joinable())
        thread_.join();
}

HWND ModalRun::window() {
    if (!window_)
        window_ = waitForWindow([this] { return findDialog(threadId_, nullptr); });
    return window_;
}

std::optional<INT_PTR> ModalRun::result() {
    if (result_.wait_for(std::chrono::milliseconds(kPatienceMs)) != std::future_status::ready) {
        forceEnd();
        return std::nullopt;
    }
    thread_.join();
    joined_ = true;
    return result_.get();
}

void ModalRun::forceEnd() {
    // Message boxes first: while one shows, the window under it cannot end.
    for (int attempt = 0; attempt < 100; ++attempt) {
        if (result_.wait_for(std::chrono::milliseconds(50)) == std::future_status::ready)
            return;
        HWND top = findDialog(threadId_, nullptr);
        if (!top)
            continue;
        HWND box = top;
        while (HWND owned = findDialog(threadId_, box))
            box = owned;
        PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    }
}

} // namespace kovra::test
