// Kovra's window on a drive the Wine runner maps: the card as a removable E:, or no card at
// all while a fixed Y: holds files. What reaches the drive is read back from the Linux side.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <initializer_list>
#include <string>
#include <vector>

#include <windows.h>

#include "tests/support/scratch_dir.h"
#include "tests/support/wine_drives.h"
#include "tests/window/recorder_window.h"

namespace kovra::test {

// A drive's folder, which the runner empties for each run of the test program (emptied here
// again for each test). Files are put through the drive letter, as a card reader would show
// them, and read back through Wine's Z: from the folder itself.
class DriveFolder {
  public:
    explicit DriveFolder(char letter) : letter_(letter) {
        const char* prefix = std::getenv("WINEPREFIX");
        if (prefix)
            host_ = std::filesystem::path(std::string("Z:") + prefix) / "drives" /
                    std::string(1, static_cast<char>(letter - 'A' + 'a'));
    }

    // False when the folder the runner maps cannot be found.
    bool ready() const { return !host_.empty() && std::filesystem::is_directory(host_); }
    std::string path(const std::string& name) const {
        return std::string(1, letter_) + ":\\" + name;
    }

    void empty() const {
        for (const auto& entry : std::filesystem::directory_iterator(host_))
            std::filesystem::remove_all(entry.path());
    }
    void put(const std::string& name, const std::vector<unsigned char>& bytes) const {
        writeAll(path(name), bytes);
    }
    std::vector<unsigned char> read(const std::string& name) const {
        return readAll((host_ / name).string());
    }
    // The names of the files in the folder, sorted.
    std::vector<std::string> files() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(host_))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

  private:
    char letter_;
    std::filesystem::path host_;
};

// The user's temporary folder, where Play puts its copies.
inline std::string tempFolder() {
    char temp[MAX_PATH + 1] = "";
    GetTempPathA(sizeof temp, temp);
    return temp;
}

// While it lives, every control of the window's thread that is enabled or disabled is added
// to the log, as "enable 1022" or "disable 1022", between the platform's calls.
class SwitchWatch {
  public:
    SwitchWatch(HWND window, EventLog& log) {
        log_ = &log;
        hook_ = SetWindowsHookExA(WH_CALLWNDPROC, watch, nullptr,
                                  GetWindowThreadProcessId(window, nullptr));
    }
    ~SwitchWatch() {
        if (hook_)
            UnhookWindowsHookEx(hook_);
        log_ = nullptr;
    }
    SwitchWatch(const SwitchWatch&) = delete;
    SwitchWatch& operator=(const SwitchWatch&) = delete;
    bool ok() const { return hook_ != nullptr; }

  private:
    static LRESULT CALLBACK watch(int code, WPARAM wParam, LPARAM lParam) {
        const CWPSTRUCT* sent = reinterpret_cast<const CWPSTRUCT*>(lParam);
        if (code == HC_ACTION && sent->message == WM_ENABLE && log_)
            log_->add((sent->wParam ? "enable " : "disable ") +
                      std::to_string(GetDlgCtrlID(sent->hwnd)));
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }

    static inline EventLog* log_ = nullptr;
    HHOOK hook_ = nullptr;
};

// The entries a SwitchWatch logs for ids switched in that order.
inline std::vector<std::string> switched(const char* how, std::initializer_list<int> ids) {
    std::vector<std::string> events;
    for (int id : ids)
        events.push_back(std::string(how) + " " + std::to_string(id));
    return events;
}

// The window started with a drive mapped by the runner, emptied first.
class RecorderOnDrive : public RecorderWindow {
  protected:
    RecorderOnDrive(char letter, const char* drives) : drive(letter), drives_(drives) {}
    void SetUp() override {
        KOVRA_REQUIRE_DRIVES(drives_);
        ASSERT_TRUE(drive.ready()) << "no folder for " << drive.path("");
        drive.empty();
    }

    // Picks name on the drive with "...", as if it were chosen in the open dialog.
    void pick(const std::string& name) {
        SCOPED_TRACE("picking " + name);
        dialog.answerFileDialog(drive.path(name));
        click(IDC_BROWSE);
    }
    // From now on every control switched is logged between the platform's calls; the log
    // starts empty.
    bool watchSwitches() {
        watch_.emplace(window(), platform.log);
        platform.log.take();
        return watch_->ok();
    }

    DriveFolder drive;

  private:
    const char* drives_;
    std::optional<SwitchWatch> watch_;
};

// The recorder's card in a removable drive E:.
class RecorderOnCard : public RecorderOnDrive {
  protected:
    RecorderOnCard() : RecorderOnDrive('E', kDrivesCard) {}
};

// No removable drive: the window takes the last drive it probes, Y:, which here is a fixed
// drive that can hold files.
class RecorderNoCard : public RecorderOnDrive {
  protected:
    RecorderNoCard() : RecorderOnDrive('Y', kDrivesFixedY) {}
};

} // namespace kovra::test
