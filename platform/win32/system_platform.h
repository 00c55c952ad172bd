// The Windows implementation, one class for the three interfaces, its members defined by
// capability: files.cpp (an open file), folders.cpp (paths and folders), media.cpp (drive
// letters), desktop.cpp (the session). ANSI Win32 calls, one for each service.
#pragma once

#include <string>

#include "platform/platform.h"

namespace kovra::win32 {

class Win32Platform final : public Platform {
  public:
    // files.cpp
    OsError read(FileId file, void* buffer, std::size_t size) override;
    OsError write(FileId file, const void* data, std::size_t size) override;
    OsError seek(FileId file, std::uint32_t offset) override;
    OsError readAt(FileId file, std::uint64_t offset, void* buffer, std::size_t size) override;
    OsError writeAt(FileId file, std::uint64_t offset, const void* data, std::size_t size) override;
    OsError fileSize(FileId file, std::uint64_t& size) override;
    OsError setSize(FileId file, std::uint64_t size) override;
    OsError copyRange(FileId from, std::uint64_t offset, FileId to, std::uint64_t size) override;
    OsError flush(FileId file) override;
    // Windows writes back on its own schedule; FlushFileBuffers waits for all of it.
    void startFlush(FileId, std::uint64_t, std::uint64_t) override {}
    OsError setFileModified(FileId file, std::int64_t modified) override;
    void close(FileId file) override;

    // folders.cpp
    OsError open(const char* path, OpenMode mode, FileId& file) override;
    OsError lockFile(const char* path, FileId& file) override;
    bool enforcesSharing() const override { return true; }
    OsError tempPath(char* buffer, std::size_t capacity) override;
    OsError forEachMatch(const char* pattern,
                         const std::function<void(const char* name)>& visit) override;
    bool exists(const char* path) override;
    OsError remove(const char* path) override;
    OsError copy(const char* source, const char* target) override;
    OsError replace(const char* source, const char* target) override;
    OsError replaceUnflushed(const char* source, const char* target) override;
    OsError moveToNewName(const char* source, const char* target) override;
    OsError info(const char* path, FileInfo& info) override;
    OsError linkInfo(const char* path, FileInfo& info) override;
    OsError identity(const char* path, FileIdentity& identity) override;
    OsError realPath(const char* path, std::string& real) override;
    OsError setModified(const char* path, std::int64_t modified) override;
    OsError makeFolder(const char* path) override;
    OsError removeEmptyFolder(const char* path) override;
    OsError forEachEntry(const char* folder,
                         const std::function<void(const FolderEntry& entry)>& visit) override;

    // media.cpp
    OsError removableMedia(std::vector<RemovableMedium>& media) override;
    OsError mountedAt(const char* folder, bool& mounted) override;
    OsError waitForMountChange(int timeoutMilliseconds) override;
    OsError flushVolume(const char* root) override;
    // Windows reads no files of its own to find media: there is nothing to put elsewhere.
    void setSystemRoot(const std::string&) override {}

    // desktop.cpp
    SystemTime localTime() override;
    SystemTime localTimeOf(std::int64_t utcSeconds) override;
    OsError shellOpen(const char* path) override;
    // No notification here: the window and the console say what happened themselves.
    void notify(const std::string&, const std::string&) override {}
    bool isTerminal(StandardStream stream) override;
    std::uint32_t processId() override;
    bool processRunning(std::uint32_t processId) override;
    void deferInterrupts() override;
    void allowInterrupts() override;
    bool interrupted() override;
};

} // namespace kovra::win32
