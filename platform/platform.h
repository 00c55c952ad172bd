// The operating-system services Kovra uses, behind one small interface. The build links
// exactly one implementation (platform/win32 or platform/posix); tests may derive from
// Platform to script an answer or record a call.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

namespace kovra {

// GetLastError and errno both fold onto this set.
enum class OsError {
    None,
    NotFound,         // no such file, folder or drive
    AccessDenied,     // permissions, read-only medium, a folder where a file was expected
    SharingViolation, // another handle holds the file without sharing it
    ShortRead,        // the file ended before the requested bytes arrived
    ShortWrite,       // fewer bytes were written than were given
    TooLong,          // a path or a result did not fit its buffer
    Other,
};

const char* osErrorName(OsError error);

// The drive kinds GetDriveTypeA reports; only Removable counts as the recorder's card.
enum class DriveType { Unknown, NoRootDir, Removable, Fixed, Remote, CdRom, RamDisk };

// The platform's local time record, field for field as Windows gives it.
struct SystemTime {
    std::uint16_t year = 0;
    std::uint16_t month = 0;
    std::uint16_t dayOfWeek = 0;
    std::uint16_t day = 0;
    std::uint16_t hour = 0;
    std::uint16_t minute = 0;
    std::uint16_t second = 0;
    std::uint16_t milliseconds = 0;
};

enum class OpenMode {
    ReadShared,         // reading, others may read too; the file must exist
    WriteTruncate,      // writing, no sharing; created, or an existing file emptied
    ReadWriteExclusive, // reading and writing, no sharing; opened, or created empty
};

using FileId = std::intptr_t;

// What a path names, read without opening it.
struct FileInfo {
    bool isFolder = false;
    std::uint64_t size = 0;
    std::int64_t modified = 0; // seconds since 1970-01-01 UTC
};

class Platform {
  public:
    virtual ~Platform() = default;

    virtual DriveType driveType(const char* root) = 0;

    virtual OsError open(const char* path, OpenMode mode, FileId& file) = 0;
    // Reads exactly size bytes in one request; fewer is ShortRead.
    virtual OsError read(FileId file, void* buffer, std::size_t size) = 0;
    // Writes size bytes in one request; fewer is ShortWrite.
    virtual OsError write(FileId file, const void* data, std::size_t size) = 0;
    virtual OsError seek(FileId file, std::uint32_t offset) = 0;
    // Reads exactly size bytes at offset in one request, wherever the file position is; fewer
    // is ShortRead.
    virtual OsError readAt(FileId file, std::uint64_t offset, void* buffer, std::size_t size) = 0;
    // Writes size bytes over the file's bytes at offset, in one request, and leaves the
    // position where it was; fewer is ShortWrite.
    virtual OsError writeAt(FileId file, std::uint64_t offset, const void* data,
                            std::size_t size) = 0;
    virtual OsError fileSize(FileId file, std::uint64_t& size) = 0;
    // Cuts the file to size bytes (or extends it with zeros) and puts its position at the end.
    virtual OsError setSize(FileId file, std::uint64_t size) = 0;
    // Appends size bytes of from, starting at offset, to to (at its position), by the system
    // where it can copy between files itself.
    virtual OsError copyRange(FileId from, std::uint64_t offset, FileId to, std::uint64_t size) = 0;
    virtual void close(FileId file) = 0;

    // The user's temporary folder, ending in a backslash; TooLong when capacity (including
    // the terminating zero) cannot hold it.
    virtual OsError tempPath(char* buffer, std::size_t capacity) = 0;
    // Calls visit with the file name (no folder) of every entry matching pattern, a folder
    // followed by a name that may hold '*' and '?'. A pattern that matches nothing is not an
    // error.
    virtual OsError forEachMatch(const char* pattern,
                                 const std::function<void(const char* name)>& visit) = 0;
    // A file or folder of that name is there; path holds no wildcards.
    virtual bool exists(const char* path) = 0;
    virtual OsError remove(const char* path) = 0;
    // Copies source over target, replacing a file that is already there.
    virtual OsError copy(const char* source, const char* target) = 0;
    // Moves source over target in one step, replacing a file that is already there. A target
    // marked read-only is refused (AccessDenied) and both files stay as they were.
    virtual OsError replace(const char* source, const char* target) = 0;

    virtual OsError info(const char* path, FileInfo& info) = 0;
    virtual OsError setModified(const char* path, std::int64_t modified) = 0;
    // A folder that is already there is not an error.
    virtual OsError makeFolder(const char* path) = 0;
    // Calls visit with the name of every file and folder in folder ("." and ".." aside).
    virtual OsError
    forEachEntry(const char* folder,
                 const std::function<void(const char* name, bool isFolder)>& visit) = 0;

    virtual SystemTime localTime() = 0;
    // Hands path to the desktop's "open" action and returns without waiting for the program.
    virtual OsError shellOpen(const char* path) = 0;

    // False where the OS has no mandatory share modes (POSIX): there a second open of a
    // file held without sharing succeeds.
    virtual bool enforcesSharing() const = 0;
};

// The implementation this build was made for.
Platform& systemPlatform();

} // namespace kovra
