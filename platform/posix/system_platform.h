// The POSIX implementation, one class for the three interfaces, its members defined by
// capability: files.cpp (an open file), folders.cpp (paths and folders), media.cpp (removable
// media and mounts), desktop.cpp (the session). A path is taken as it is given: '\' is a
// character of a name here, never a separator. There are no drive letters here and no
// mandatory share modes.
#pragma once

#include <string>

#include "platform/platform.h"
#include "platform/posix/mount_watch.h"

namespace kovra::posix {

class PosixPlatform final : public Platform {
  public:
    PosixPlatform();

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
    void startFlush(FileId file, std::uint64_t offset, std::uint64_t size) override;
    OsError setFileModified(FileId file, std::int64_t modified) override;
    void close(FileId file) override;

    // batched_reads.cpp
    void readAtMany(FileId file, ReadPiece* pieces, std::size_t count) override;

    // folders.cpp
    OsError open(const char* path, OpenMode mode, FileId& file) override;
    OsError openSized(const char* path, OpenMode mode, FileId& file, std::uint64_t& size) override;
    OsError lockFile(const char* path, FileId& file) override;
    bool enforcesSharing() const override { return false; }
    OsError tempPath(char* buffer, std::size_t capacity) override;
    OsError forEachMatch(const char* pattern,
                         const std::function<void(const char* name)>& visit) override;
    bool exists(const char* path) override;
    OsError remove(const char* path) override;
    OsError copy(const char* source, const char* target) override;
    OsError replace(const char* source, const char* target) override;
    OsError replaceUnflushed(const char* source, const char* target) override;
    OsError moveToNewName(const char* source, const char* target) override;
    OsError replaceFlushedLater(const char* source, const char* target) override;
    OsError flushFolder(const char* folder) override;
    bool movesOpenFiles() const override { return true; }
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
    void setSystemRoot(const std::string& root) override { systemRoot_ = root; }

    // desktop.cpp
    SystemTime localTime() override;
    SystemTime localTimeOf(std::int64_t utcSeconds) override;
    OsError shellOpen(const char* path) override;
    void notify(const std::string& title, const std::string& text) override;
    bool isTerminal(StandardStream stream) override;
    std::uint32_t processId() override;
    bool processRunning(std::uint32_t processId) override;
    void deferInterrupts() override;
    void allowInterrupts() override;
    bool interrupted() override;

  private:
    std::string systemRoot_;
    MountWatch mountWatch_;
};

} // namespace kovra::posix
