// A platform that passes every call to another one; a wrapper overrides only what it changes
// (a test scripts faults this way, Play leaves out flushes).
#pragma once

#include "platform/platform.h"

namespace kovra {

class ForwardingPlatform : public Platform {
  public:
    explicit ForwardingPlatform(Platform& real = systemPlatform()) : real_(real) {}

    // An open file's (platform/file_io.h).
    OsError read(FileId file, void* buffer, std::size_t size) override {
        return real_.read(file, buffer, size);
    }
    OsError write(FileId file, const void* data, std::size_t size) override {
        return real_.write(file, data, size);
    }
    OsError seek(FileId file, std::uint32_t offset) override { return real_.seek(file, offset); }
    OsError readAt(FileId file, std::uint64_t offset, void* buffer, std::size_t size) override {
        return real_.readAt(file, offset, buffer, size);
    }
    OsError writeAt(FileId file, std::uint64_t offset, const void* data,
                    std::size_t size) override {
        return real_.writeAt(file, offset, data, size);
    }
    OsError fileSize(FileId file, std::uint64_t& size) override {
        return real_.fileSize(file, size);
    }
    OsError setSize(FileId file, std::uint64_t size) override { return real_.setSize(file, size); }
    OsError copyRange(FileId from, std::uint64_t offset, FileId to, std::uint64_t size) override {
        return real_.copyRange(from, offset, to, size);
    }
    OsError flush(FileId file) override { return real_.flush(file); }
    void startFlush(FileId file, std::uint64_t offset, std::uint64_t size) override {
        real_.startFlush(file, offset, size);
    }
    OsError setFileModified(FileId file, std::int64_t modified) override {
        return real_.setFileModified(file, modified);
    }
    void close(FileId file) override { real_.close(file); }

    // Paths, folders and media (platform/file_system.h).
    OsError open(const char* path, OpenMode mode, FileId& file) override {
        return real_.open(path, mode, file);
    }
    OsError lockFile(const char* path, FileId& file) override { return real_.lockFile(path, file); }
    bool enforcesSharing() const override { return real_.enforcesSharing(); }
    OsError tempPath(char* buffer, std::size_t capacity) override {
        return real_.tempPath(buffer, capacity);
    }
    OsError forEachMatch(const char* pattern,
                         const std::function<void(const char* name)>& visit) override {
        return real_.forEachMatch(pattern, visit);
    }
    bool exists(const char* path) override { return real_.exists(path); }
    OsError remove(const char* path) override { return real_.remove(path); }
    OsError copy(const char* source, const char* target) override {
        return real_.copy(source, target);
    }
    OsError replace(const char* source, const char* target) override {
        return real_.replace(source, target);
    }
    OsError replaceUnflushed(const char* source, const char* target) override {
        return real_.replaceUnflushed(source, target);
    }
    OsError replaceFlushedLater(const char* source, const char* target) override {
        return real_.replaceFlushedLater(source, target);
    }
    OsError moveToNewName(const char* source, const char* target) override {
        return real_.moveToNewName(source, target);
    }
    OsError flushFolder(const char* folder) override { return real_.flushFolder(folder); }
    bool movesOpenFiles() const override { return real_.movesOpenFiles(); }

    OsError info(const char* path, FileInfo& info) override { return real_.info(path, info); }
    OsError linkInfo(const char* path, FileInfo& info) override {
        return real_.linkInfo(path, info);
    }
    OsError identity(const char* path, FileIdentity& identity) override {
        return real_.identity(path, identity);
    }
    OsError realPath(const char* path, std::string& real) override {
        return real_.realPath(path, real);
    }
    OsError setModified(const char* path, std::int64_t modified) override {
        return real_.setModified(path, modified);
    }
    OsError makeFolder(const char* path) override { return real_.makeFolder(path); }
    OsError removeEmptyFolder(const char* path) override { return real_.removeEmptyFolder(path); }
    OsError forEachEntry(const char* folder,
                         const std::function<void(const FolderEntry& entry)>& visit) override {
        return real_.forEachEntry(folder, visit);
    }

    OsError removableMedia(std::vector<RemovableMedium>& media) override {
        return real_.removableMedia(media);
    }
    OsError mountedAt(const char* folder, bool& mounted) override {
        return real_.mountedAt(folder, mounted);
    }
    OsError waitForMountChange(int timeoutMilliseconds) override {
        return real_.waitForMountChange(timeoutMilliseconds);
    }
    OsError flushVolume(const char* root) override { return real_.flushVolume(root); }
    void setSystemRoot(const std::string& root) override { real_.setSystemRoot(root); }

    // The desktop (platform/desktop.h).
    SystemTime localTime() override { return real_.localTime(); }
    SystemTime localTimeOf(std::int64_t utcSeconds) override {
        return real_.localTimeOf(utcSeconds);
    }
    OsError shellOpen(const char* path) override { return real_.shellOpen(path); }
    void notify(const std::string& title, const std::string& text) override {
        real_.notify(title, text);
    }
    bool isTerminal(StandardStream stream) override { return real_.isTerminal(stream); }
    std::uint32_t processId() override { return real_.processId(); }
    bool processRunning(std::uint32_t processId) override {
        return real_.processRunning(processId);
    }
    void deferInterrupts() override { real_.deferInterrupts(); }
    void allowInterrupts() override { real_.allowInterrupts(); }
    bool interrupted() override { return real_.interrupted(); }

  protected:
    Platform& real_;
};

} // namespace kovra
