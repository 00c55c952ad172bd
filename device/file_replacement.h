// A file written under a temporary name beside its target and moved over it only once every
// byte is on the storage: the target is replaced whole or not at all, and a failure, or the
// user interrupting the program, leaves no trace.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "platform/platform.h"

namespace kovra {

// The names a new file may take, tried in turn: attempt 1, 2 ... until one is free.
using NameFor = std::function<std::string(unsigned attempt)>;

// Moves source to the first of nameFor(1) ... nameFor(tries) that nothing holds
// (Platform::moveToNewName), never over anything that is there. named: the name taken, or the
// one whose move failed; Exists when all of them are held.
OsError moveToFreeName(Platform& platform, const std::string& source, const NameFor& nameFor,
                       unsigned tries, std::string& named);

// Whether a file's move over its target is itself flushed before commit() returns, or left to
// Platform::flushFolder() of the target's folder, or to the system's own pace.
enum class Naming { Durable, FolderFlushedLater, Unflushed };

class FileReplacement {
  public:
    // Every temporary file ends so, whichever process wrote it: a later run finds those an
    // interrupted one left.
    static constexpr const char* kTemporarySuffix = ".kovra-tmp";

    // Creates the temporary file at once: whatever the caller reads after this (a clock, a
    // control) is read only once there is somewhere to put it. Until commit() or destruction
    // an interrupt of the program only makes the writes fail, so that the file is removed.
    FileReplacement(Platform& platform, const std::string& target);
    ~FileReplacement();
    FileReplacement(const FileReplacement&) = delete;
    FileReplacement& operator=(const FileReplacement&) = delete;

    bool isOpen() const { return open_; }
    // Why the temporary file could not be created; None when it was.
    OsError openError() const { return openError_; }
    const std::string& target() const { return target_; }
    const std::string& temporaryPath() const { return temporary_; }
    // The first error a write met; later writes are not tried. A failed copy says whether
    // its source or this file was to blame.
    OsError writeError() const { return writeError_; }

    OsError write(const void* data, std::size_t size);
    // Writes over bytes already written, at offset; later writes still append.
    OsError writeAt(std::uint64_t offset, const void* data, std::size_t size);
    // Cuts what is written back to its first size bytes; later writes append there.
    OsError truncate(std::uint64_t size);
    // Appends size bytes of the open file from, starting at offset, copied by the system.
    OsError copyRange(FileId from, std::uint64_t offset, std::uint64_t size);
    // Gives the finished file this modification time (seconds since 1970 UTC) once it has
    // its name: some file systems (FAT on Linux) give a renamed file the time of the rename.
    void keepModified(std::int64_t modified) { modified_ = modified, keepModified_ = true; }
    // Flushes the file to the storage and moves it over the target. On any failure, now or
    // in an earlier write, the temporary file is removed and the target keeps what it had.
    // Naming::Unflushed leaves the move itself to the system's own pace: for a file that only
    // saves work, whose older self after a power cut is still whole and still true.
    OsError commit(Naming naming = Naming::Durable);
    // commit() to the first free name of nameFor, as moveToFreeName(), for a new file that
    // must never replace one: a name is taken only by the whole file, so that however the
    // program ends no name is left holding an empty or short one. The target given names
    // only the temporary file.
    OsError commitToFreeName(const NameFor& nameFor, unsigned tries, std::string& named);
    // commit() in two steps, the flush free to run on another thread while the caller writes
    // the next file: flushData() puts the bytes and the time on the storage and closes the
    // file; name() then moves it over the target. A failure of either removes the file, and
    // name() says it.
    OsError flushData();
    OsError name(Naming naming = Naming::Durable);
    // Has the system start writing what is written so far, and returns without waiting: files
    // started together reach the storage together, and the flushData() of each that follows
    // waits mostly for the first.
    void startFlush();
    // Removes the file, written or not, for this error (an interrupt): name() then says it.
    void abandon(OsError why);

    // Unique to the writing process: two programs replacing one target never share it.
    static std::string temporaryPathFor(const std::string& target, std::uint32_t processId);
    // Removes the temporary files of target that processes no longer running left (a SIGKILL
    // gives no chance to remove one): regular files of exactly this naming, never a link.
    static void removeStale(Platform& platform, const std::string& target);

  private:
    // Why there is no file to flush or name: the error that removed it, or that kept it from
    // being made.
    OsError unopened() const;
    OsError moveOver(Naming naming);
    // After the move to named (error: what it met), the file's time set or the file removed.
    OsError settle(OsError error, const std::string& named);
    OsError failed(OsError error);
    // Has the system start writing what was appended since it last did, every megabyte: the
    // storage is then kept busy from the first megabyte on, while more is copied, and
    // commit()'s flush waits only for the rest.
    void appended(std::uint64_t size);
    void discard();
    void release();

    Platform& platform_;
    std::string target_;
    std::string temporary_;
    FileId file_ = 0;
    bool open_ = false;
    bool flushed_ = false;
    bool deferring_ = false;
    OsError openError_ = OsError::None;
    OsError writeError_ = OsError::None;
    bool keepModified_ = false;
    // Cut shorter since it was opened: cut once more, to size_, before the flush.
    bool cutShorter_ = false;
    std::int64_t modified_ = 0;
    std::uint64_t size_ = 0, flushStarted_ = 0;
};

// What a path holds now, a final link not followed: what may be replaced is a caller's rule.
enum class TargetState { Absent, File, Link, Folder, Other };
TargetState targetState(Platform& platform, const std::string& path);

} // namespace kovra
