// A platform that passes every call to the real one; a test overrides only what it scripts.
#pragma once

#include "platform/platform.h"

namespace kovra::test {

class ForwardingPlatform : public Platform {
  public:
    explicit ForwardingPlatform(Platform& real = systemPlatform()) : real_(real) {}

    DriveType driveType(const char* root) override { return real_.driveType(root); }
    OsError open(const char* path, OpenMode mode, FileId& file) override {
        return real_.open(path, mode, file);
    }
    OsError read(FileId file, void* buffer, std::size_t size) override {
        return real_.read(file, buffer, size);
    }
    OsError write(FileId file, const void* data, std::size_t size) override {
        return real_.write(file, data, size);
    }
    OsError seek(FileId file, std::uint32_t offset) override { return real_.seek(file, offset); }
    void close(FileId file) override { real_.close(file); }
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
    SystemTime localTime() override { return real_.localTime(); }
    OsError shellOpen(const char* path) override { return real_.shellOpen(path); }
    bool enforcesSharing() const override { return real_.enforcesSharing(); }

  protected:
    Platform& real_;
};

} // namespace kovra::test
