// Makes a program of the tests the player of .avi files in the test prefix, so that the real
// shell's "open" verb can be watched starting it.
#pragma once

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include <windows.h>

namespace kovra::test {

// The player, tests/win32/open_recorder.cpp, writes how it was started to this file.
constexpr const char* kOpenLogVariable = "KOVRA_OPEN_LOG";

// Registers program for .avi while it lives.
class AviPlayer {
  public:
    explicit AviPlayer(const std::string& program) {
        std::string command = "\"" + program + "\" \"%1\"";
        ok_ = setDefault("Software\\Classes\\.avi", kProgId) &&
              setDefault(std::string("Software\\Classes\\") + kProgId + "\\shell\\open\\command",
                         command);
    }
    ~AviPlayer() {
        std::string prog = std::string("Software\\Classes\\") + kProgId;
        for (const std::string& key :
             {prog + "\\shell\\open\\command", prog + "\\shell\\open", prog + "\\shell", prog,
              std::string("Software\\Classes\\.avi")})
            RegDeleteKeyA(HKEY_LOCAL_MACHINE, key.c_str());
    }
    AviPlayer(const AviPlayer&) = delete;
    AviPlayer& operator=(const AviPlayer&) = delete;
    bool ok() const { return ok_; }

  private:
    static constexpr const char* kProgId = "Kovra.TestPlayer";
    static bool setDefault(const std::string& key, const std::string& value) {
        HKEY handle;
        if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                            &handle, nullptr) != ERROR_SUCCESS)
            return false;
        LONG result =
            RegSetValueExA(handle, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                           static_cast<DWORD>(value.size() + 1));
        RegCloseKey(handle);
        return result == ERROR_SUCCESS;
    }
    bool ok_ = false;
};

// A program built beside the running test program.
inline std::string besideThisProgram(const char* name) {
    char self[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, self, sizeof self);
    return (std::filesystem::path(std::string(self, n)).parent_path() / name).string();
}

// The test player, registered for .avi.
inline std::string testPlayer() {
    return besideThisProgram("kovra_open_recorder.exe");
}

// The lines the player wrote to log: its argument count, its show state, then each argument.
// Nothing when no player was started within 30 s.
inline std::optional<std::vector<std::string>> playerLog(const std::string& log) {
    for (int i = 0; i < 300 && !std::filesystem::exists(log); ++i)
        Sleep(100);
    std::ifstream in(log);
    if (!in)
        return std::nullopt;
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

} // namespace kovra::test
