// What is done with a file once it is open: reads, writes, its size, copies between open files,
// flushes and closing. The part of the platform SQLite calls a file's methods; opening, which
// starts from a path, is the file system's (platform/file_system.h).
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/os_error.h"

namespace kovra {

// An open file, as the file system's open() or lockFile() gave it.
using FileId = std::intptr_t;

// One read of FileIo::readAtMany(): size bytes at offset into buffer, and what it met.
struct ReadPiece {
    std::uint64_t offset = 0;
    void* buffer = nullptr;
    std::size_t size = 0;
    OsError error = OsError::None;
};

class FileIo {
  public:
    virtual ~FileIo() = default;

    // Reads exactly size bytes in one request; fewer is ShortRead.
    virtual OsError read(FileId file, void* buffer, std::size_t size) = 0;
    // Writes size bytes in one request; fewer is ShortWrite, a full disk DiskFull.
    virtual OsError write(FileId file, const void* data, std::size_t size) = 0;
    virtual OsError seek(FileId file, std::uint32_t offset) = 0;
    // Reads exactly size bytes at offset in one request, wherever the file position is; fewer
    // is ShortRead.
    virtual OsError readAt(FileId file, std::uint64_t offset, void* buffer, std::size_t size) = 0;
    // Each piece read as readAt() reads it, its outcome in its error, in as few requests as the
    // system takes them in: a reader that knows where many small reads fall (an index lists
    // every chunk) pays one call for them all, not one each. Here, one readAt() a piece: a
    // platform that wraps another and changes readAt() (a test's faults) keeps that.
    virtual void readAtMany(FileId file, ReadPiece* pieces, std::size_t count) {
        for (std::size_t i = 0; i < count; ++i)
            pieces[i].error = readAt(file, pieces[i].offset, pieces[i].buffer, pieces[i].size);
    }
    // Writes size bytes over the file's bytes at offset, in one request, and leaves the
    // position where it was; fewer is ShortWrite.
    virtual OsError writeAt(FileId file, std::uint64_t offset, const void* data,
                            std::size_t size) = 0;
    virtual OsError fileSize(FileId file, std::uint64_t& size) = 0;
    // Cuts the file to size bytes (or extends it with zeros) and puts its position at the end.
    virtual OsError setSize(FileId file, std::uint64_t size) = 0;
    // Appends size bytes of from, starting at offset, to to (at its position), by the system
    // where it can copy between files itself. A failure says which side it met (Side::Source
    // for a read, Side::Target for a write).
    virtual OsError copyRange(FileId from, std::uint64_t offset, FileId to, std::uint64_t size) = 0;
    // Everything written to the file, and its size, reaches the storage before this returns
    // (fsync; FlushFileBuffers).
    virtual OsError flush(FileId file) = 0;
    // Starts writing size bytes of the file from offset to the storage and returns without
    // waiting, so that the flush() that follows finds little left to do; nothing where the
    // system has no such call.
    virtual void startFlush(FileId file, std::uint64_t offset, std::uint64_t size) = 0;
    // Gives an open file this modification time; the next flush() makes it durable. A file
    // system may still give a moved file the time of the move (FAT on Linux): look again after
    // one.
    virtual OsError setFileModified(FileId file, std::int64_t modified) = 0;
    virtual void close(FileId file) = 0;
};

} // namespace kovra
