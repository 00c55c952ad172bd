#include "tests/support/wine_drives.h"

#include <cctype>
#include <cstdlib>
#include <map>
#include <sstream>

#include <windows.h>

namespace kovra::test {
namespace {

constexpr char kFirstLetter = 'A';
constexpr char kLastLetter = 'Z';
constexpr DWORD kLetterCount = kLastLetter - kFirstLetter + 1;
// Every Wine prefix has them: C: for Windows itself and Z: for the host's root.
bool wineOwn(char letter) {
    return letter == 'C' || letter == 'Z';
}

// Drive types by the names Wine's registry gives them, which the sets use.
const char* typeName(UINT type) {
    switch (type) {
    case DRIVE_REMOVABLE:
        return "floppy";
    case DRIVE_FIXED:
        return "hd";
    case DRIVE_CDROM:
        return "cdrom";
    case DRIVE_REMOTE:
        return "network";
    case DRIVE_RAMDISK:
        return "ramdisk";
    default:
        return "unknown";
    }
}

// "e=floppy f=hd:/some/folder" as letter -> type; a folder the runner maps does not matter.
std::map<char, std::string> parse(const std::string& set) {
    std::map<char, std::string> drives;
    std::istringstream words(set);
    for (std::string word; words >> word;) {
        std::string::size_type equals = word.find('=');
        if (equals != 1)
            continue;
        std::string kind = word.substr(equals + 1);
        char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(word[0])));
        drives[letter] = kind.substr(0, kind.find(':'));
    }
    return drives;
}

std::map<char, std::string> shown() {
    std::map<char, std::string> drives;
    DWORD present = GetLogicalDrives();
    for (DWORD i = 0; i < kLetterCount; ++i) {
        char letter = static_cast<char>(kFirstLetter + i);
        if (!(present & (1u << i)) || wineOwn(letter))
            continue;
        char root[] = {letter, ':', '\\', '\0'};
        drives[letter] = typeName(GetDriveTypeA(root));
    }
    return drives;
}

} // namespace

bool drivesAskedFor() {
    const char* asked = std::getenv("KOVRA_DRIVES");
    return asked && *asked;
}

std::string drivesDifferFrom(const std::string& set) {
    std::map<char, std::string> wanted = parse(set), have = shown();
    std::string differences;
    auto note = [&](char letter, const std::string& what) {
        differences += (differences.empty() ? "" : "; ") + std::string(1, letter) + ": " + what;
    };
    for (DWORD i = 0; i < kLetterCount; ++i) {
        char letter = static_cast<char>(kFirstLetter + i);
        auto want = wanted.find(letter);
        auto is = have.find(letter);
        if (want != wanted.end() && is == have.end())
            note(letter, "missing (" + want->second + " wanted)");
        else if (want == wanted.end() && is != have.end())
            note(letter, is->second + ", not wanted");
        else if (want != wanted.end() && want->second != is->second)
            note(letter, is->second + ", " + want->second + " wanted");
    }
    return differences;
}

} // namespace kovra::test
