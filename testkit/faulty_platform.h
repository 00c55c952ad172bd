// The real platform with faults a test sets, so that the code that meets them can be seen to
// cope: a file that stops reading at some offset (a bad sector, a card pulled out), a disk that
// fills up after so many bytes, a source that vanished before it could be opened, a move that
// never came, another program writing meanwhile.
//
// Files are told by a part of their path, which open() records for every file it gives. Only
// positional reads fail (readAt, and the reading side of copyRange). Writes count the bytes
// appended (write, copyRange) to each file; writeAt, which overwrites bytes in place, takes no room
// and is left alone.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/forwarding_platform.h"

namespace kovra::test {

class FaultyPlatform : public ForwardingPlatform {
  public:
    using ForwardingPlatform::ForwardingPlatform;

    // Any positional read of a file whose path contains pathPart that reaches the byte at
    // offset, or one past it, fails with error (e.g. OsError(OsError::Other, EIO)).
    void failReads(const std::string& pathPart, std::uint64_t offset, OsError error) {
        std::lock_guard<std::mutex> lock(mutex_);
        readFaults_.push_back({pathPart, offset, error});
    }
    // Once limit bytes have been appended to a file whose path contains pathPart, the append
    // that would pass it writes up to the limit and fails with error, as a full disk does.
    void failWrites(const std::string& pathPart, std::uint64_t limit,
                    OsError error = OsError::DiskFull) {
        std::lock_guard<std::mutex> lock(mutex_);
        writeFaults_.push_back({pathPart, limit, error});
    }
    // Flushing a file whose path contains pathPart fails with error, as a storage that meets
    // a write error only once the system writes back does.
    void failFlushes(const std::string& pathPart, OsError error) {
        std::lock_guard<std::mutex> lock(mutex_);
        flushFaults_.push_back({pathPart, error});
    }
    // Moving a file (replace() in each form, moveToNewName()) from or to a path that contains
    // pathPart fails with error, and the file stays where it was.
    void failMoves(const std::string& pathPart, OsError error) {
        std::lock_guard<std::mutex> lock(mutex_);
        moveFaults_.push_back({pathPart, error});
    }
    // Removing a path that contains pathPart fails with error. With failMoves(), a process
    // killed before its move: what it left is all there is.
    void failRemoves(const std::string& pathPart, OsError error) {
        std::lock_guard<std::mutex> lock(mutex_);
        removeFaults_.push_back({pathPart, error});
    }
    // Once a file whose path contains pathPart is flushed, action runs with its path: another
    // program at work between the flush and what follows it.
    void afterFlush(const std::string& pathPart,
                    std::function<void(const std::string& path)> action) {
        std::lock_guard<std::mutex> lock(mutex_);
        flushActions_.push_back({pathPart, std::move(action)});
    }
    // Opening exactly this path fails with NotFound, whatever is there.
    void vanish(const std::string& path) {
        std::lock_guard<std::mutex> lock(mutex_);
        vanished_.insert(path);
    }

    // The bytes positional reads have brought of the file at path since the last forgetReads().
    std::uint64_t bytesRead(const std::string& path) {
        std::lock_guard<std::mutex> lock(mutex_);
        return bytesRead_[path];
    }
    void forgetReads() {
        std::lock_guard<std::mutex> lock(mutex_);
        bytesRead_.clear();
    }

    OsError open(const char* path, OpenMode mode, FileId& file) override {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (vanished_.count(path))
                return OsError::NotFound;
        }
        OsError error = real_.open(path, mode, file);
        if (error == OsError::None) {
            std::lock_guard<std::mutex> lock(mutex_);
            files_[file] = {path, 0};
        }
        return error;
    }
    void close(FileId file) override {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            files_.erase(file);
        }
        real_.close(file);
    }

    OsError flush(FileId file) override {
        std::vector<std::function<void(const std::string&)>> actions;
        std::string path;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            auto found = files_.find(file);
            for (const PathFault& fault : flushFaults_)
                if (found != files_.end() &&
                    found->second.path.find(fault.pathPart) != std::string::npos)
                    return fault.error;
            for (const FlushAction& action : flushActions_)
                if (found != files_.end() &&
                    found->second.path.find(action.pathPart) != std::string::npos) {
                    actions.push_back(action.action);
                    path = found->second.path;
                }
        }
        OsError error = real_.flush(file);
        for (const auto& action : actions)
            action(path);
        return error;
    }

    OsError replace(const char* source, const char* target) override {
        std::optional<OsError> fault = moveFaultOf(source, target);
        return fault ? *fault : real_.replace(source, target);
    }
    OsError replaceUnflushed(const char* source, const char* target) override {
        std::optional<OsError> fault = moveFaultOf(source, target);
        return fault ? *fault : real_.replaceUnflushed(source, target);
    }
    OsError replaceFlushedLater(const char* source, const char* target) override {
        std::optional<OsError> fault = moveFaultOf(source, target);
        return fault ? *fault : real_.replaceFlushedLater(source, target);
    }
    OsError moveToNewName(const char* source, const char* target) override {
        std::optional<OsError> fault = moveFaultOf(source, target);
        return fault ? *fault : real_.moveToNewName(source, target);
    }
    OsError remove(const char* path) override {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            for (const PathFault& fault : removeFaults_)
                if (std::string(path).find(fault.pathPart) != std::string::npos)
                    return fault.error;
        }
        return real_.remove(path);
    }

    OsError readAt(FileId file, std::uint64_t offset, void* buffer, std::size_t size) override {
        std::optional<ReadFault> fault = readFaultOf(file);
        if (fault && offset + size > fault->offset)
            return fault->error;
        OsError error = real_.readAt(file, offset, buffer, size);
        std::lock_guard<std::mutex> lock(mutex_);
        if (error == OsError::None && files_.count(file))
            bytesRead_[files_[file].path] += size;
        return error;
    }

    OsError write(FileId file, const void* data, std::size_t size) override {
        std::uint64_t room = size;
        std::optional<WriteFault> fault = writeFaultOf(file, size, room);
        if (!fault) {
            OsError error = real_.write(file, data, size);
            if (error == OsError::None)
                appended(file, size);
            return error;
        }
        OsError error =
            room > 0 ? real_.write(file, data, static_cast<std::size_t>(room)) : OsError::None;
        appended(file, room);
        return error != OsError::None ? error : fault->error;
    }
    OsError copyRange(FileId from, std::uint64_t offset, FileId to, std::uint64_t size) override {
        // The part before either fault is copied as the system would before meeting it.
        std::uint64_t readable = size;
        std::optional<ReadFault> readFault = readFaultOf(from);
        if (readFault && offset + size > readFault->offset)
            readable = readFault->offset > offset ? readFault->offset - offset : 0;
        std::uint64_t room = readable;
        std::optional<WriteFault> writeFault = writeFaultOf(to, readable, room);
        std::uint64_t copied = writeFault ? room : readable;
        OsError error = copied > 0 ? real_.copyRange(from, offset, to, copied) : OsError::None;
        appended(to, copied);
        if (error != OsError::None)
            return error;
        if (writeFault)
            return writeFault->error.on(OsError::Side::Target);
        if (readable < size)
            return readFault->error.on(OsError::Side::Source);
        return OsError::None;
    }

  private:
    struct ReadFault {
        std::string pathPart;
        std::uint64_t offset;
        OsError error;
    };
    struct WriteFault {
        std::string pathPart;
        std::uint64_t limit;
        OsError error;
    };
    struct PathFault {
        std::string pathPart;
        OsError error;
    };
    struct FlushAction {
        std::string pathPart;
        std::function<void(const std::string&)> action;
    };
    struct OpenFile {
        std::string path;
        std::uint64_t appended;
    };

    std::optional<ReadFault> readFaultOf(FileId file) {
        std::lock_guard<std::mutex> lock(mutex_);
        auto found = files_.find(file);
        if (found == files_.end())
            return std::nullopt;
        for (const ReadFault& fault : readFaults_)
            if (found->second.path.find(fault.pathPart) != std::string::npos)
                return fault;
        return std::nullopt;
    }
    // The fault an append of size bytes meets, with the room left before it; none when the
    // append fits.
    std::optional<WriteFault> writeFaultOf(FileId file, std::uint64_t size, std::uint64_t& room) {
        std::lock_guard<std::mutex> lock(mutex_);
        auto found = files_.find(file);
        if (found == files_.end())
            return std::nullopt;
        for (const WriteFault& fault : writeFaults_) {
            if (found->second.path.find(fault.pathPart) == std::string::npos)
                continue;
            std::uint64_t done = found->second.appended;
            room = fault.limit > done ? fault.limit - done : 0;
            if (size > room)
                return fault;
        }
        return std::nullopt;
    }
    std::optional<OsError> moveFaultOf(const std::string& source, const std::string& target) {
        std::lock_guard<std::mutex> lock(mutex_);
        for (const PathFault& fault : moveFaults_)
            if (source.find(fault.pathPart) != std::string::npos ||
                target.find(fault.pathPart) != std::string::npos)
                return fault.error;
        return std::nullopt;
    }
    void appended(FileId file, std::uint64_t size) {
        std::lock_guard<std::mutex> lock(mutex_);
        auto found = files_.find(file);
        if (found != files_.end())
            found->second.appended += size;
    }

    std::mutex mutex_;
    std::vector<ReadFault> readFaults_;
    std::vector<WriteFault> writeFaults_;
    std::vector<PathFault> flushFaults_, moveFaults_, removeFaults_;
    std::vector<FlushAction> flushActions_;
    std::set<std::string> vanished_;
    std::map<FileId, OpenFile> files_;
    std::map<std::string, std::uint64_t> bytesRead_;
};

} // namespace kovra::test
