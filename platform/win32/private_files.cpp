#include "platform/private_files.h"

#include <windows.h>

#include <shlobj.h>

#include <cstdio>

#include "platform/random_bytes.h"
#include "platform/win32/errors.h"

namespace kovra {

namespace {

constexpr std::size_t kNameBytes = 8;

} // namespace

OsError makePrivateFolder(std::string& folder) {
    char temp[MAX_PATH + 1];
    DWORD length = GetTempPathA(sizeof temp, temp);
    if (length == 0)
        return win32::lastError();
    if (length >= sizeof temp)
        return OsError::TooLong;
    unsigned char bytes[kNameBytes];
    OsError error = randomBytes(bytes, sizeof bytes);
    if (error != OsError::None)
        return error;
    std::string path = std::string(temp) + "kovra-";
    for (unsigned char byte : bytes) {
        char hex[3];
        std::snprintf(hex, sizeof hex, "%02x", byte);
        path += hex;
    }
    // Inherits the user's temporary folder's permissions, which let no other user in.
    if (!CreateDirectoryA(path.c_str(), nullptr))
        return win32::lastError();
    folder = path;
    return OsError::None;
}

OsError writePrivateFile(const std::string& path, const std::string& text) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return win32::lastError();
    DWORD written = 0;
    BOOL wrote = WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    OsError error = !wrote                   ? win32::lastError()
                    : written != text.size() ? OsError(OsError::ShortWrite)
                                             : OsError(OsError::None);
    if (!CloseHandle(file) && error == OsError::None)
        error = win32::lastError();
    if (error != OsError::None)
        DeleteFileA(path.c_str());
    return error;
}

OsError removeFolder(const std::string& folder) {
    return RemoveDirectoryA(folder.c_str()) ? OsError::None : win32::lastError();
}

OsError savedVideosFolder(std::string& folder) {
    char videos[MAX_PATH];
    // The known folder by its XP-era name, which every later Windows still answers.
    HRESULT result = SHGetFolderPathA(nullptr, CSIDL_MYVIDEO, nullptr, SHGFP_TYPE_CURRENT, videos);
    if (FAILED(result))
        return OsError(OsError::NotFound, static_cast<std::int32_t>(result));
    folder = std::string(videos) + "\\Kovra";
    return OsError::None;
}

} // namespace kovra
