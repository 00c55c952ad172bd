// Paths, folders and media: what a name is, opening and locking files by name, listing,
// replacing and removing them, the temporary folder, and the removable media with their
// mounts. The part of the platform SQLite calls its VFS; what is done with a file once open is
// platform/file_io.h.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/file_io.h"
#include "platform/os_error.h"

namespace kovra {

enum class OpenMode {
    ReadShared,         // reading, others may read too; the file must exist
    WriteTruncate,      // writing, no sharing; created, or an existing file emptied
    ReadWriteExclusive, // reading and writing, no sharing; opened, or created empty
    CreateNew,          // reading and writing, no sharing; created, never an existing file
                        // or a link (Exists)
};

// What a name in a folder is. A link is reported only by linkInfo() and forEachEntry();
// everywhere else links are followed.
enum class FileKind {
    File,   // a regular file: the only kind Kovra reads or replaces
    Folder, // a folder (directory)
    Link,   // a symbolic link itself
    Other,  // a FIFO, a device, a socket: never opened for reading or writing
};

// What a path names, read without opening it.
struct FileInfo {
    FileKind kind = FileKind::File;
    std::uint64_t size = 0;
    std::int64_t modified = 0; // seconds since 1970-01-01 UTC

    bool isFolder() const { return kind == FileKind::Folder; }
    bool isFile() const { return kind == FileKind::File; }
};

// Which file system object a path reaches, the same for every path to it (links, "..",
// another spelling): POSIX device and inode, Windows volume serial and file index.
struct FileIdentity {
    std::uint64_t device = 0;
    std::uint64_t node = 0;
    bool operator==(const FileIdentity& other) const {
        return device == other.device && node == other.node;
    }
    bool operator!=(const FileIdentity& other) const { return !(*this == other); }
};

// One entry of a folder listing.
struct FolderEntry {
    const char* name; // no folder part
    FileKind kind;    // of what the name reaches, links followed; Other for a link to nothing
    bool isLink;      // the entry itself is a symbolic link
};

// A removable medium (a card in a reader, a USB stick): a removable drive where the system has
// drive letters, else a mounted filesystem that lies on one, as the mount table and sysfs tell.
struct RemovableMedium {
    std::string mountPoint; // "E:\", "/media/user/CARD"
    std::string device;     // "E:", "/dev/mmcblk0p1"
    std::string reason;     // why it counts, e.g. "SD card reader device mmcblk0"
    // A drive letter, which an empty card reader has too: whether a volume is in it is for
    // mountedAt() to say.
    bool mayBeEmpty = false;
};

class FileSystem {
  public:
    virtual ~FileSystem() = default;

    // Opens only regular files: anything else that is there (a FIFO, a device) is NotAFile,
    // found without blocking, and a folder is IsFolder.
    virtual OsError open(const char* path, OpenMode mode, FileId& file) = 0;
    // Opens (creating it) a file that stands for a resource and holds it exclusively until the
    // file is closed, or until the process ends however it ends. SharingViolation at once when
    // another process holds it.
    virtual OsError lockFile(const char* path, FileId& file) = 0;
    // False where the OS has no mandatory share modes (POSIX): there a second open of a
    // file held without sharing succeeds.
    virtual bool enforcesSharing() const = 0;

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
    // Copies source over target, replacing a file that is already there. A failure says which
    // side it met.
    virtual OsError copy(const char* source, const char* target) = 0;
    // Moves source over target in one step, replacing a file that is already there, and makes
    // the move durable (the folder flushed on POSIX, a write-through move on Windows). A target
    // marked read-only is refused (AccessDenied) and both files stay as they were.
    virtual OsError replace(const char* source, const char* target) = 0;
    // replace() without making the move durable, for files made again whenever one is missing:
    // a power cut may undo the move, never leave half a file. By default as durable as replace().
    virtual OsError replaceUnflushed(const char* source, const char* target) {
        return replace(source, target);
    }
    // replace() whose move is made durable by the next flushFolder() of the target's folder,
    // so that one flush of the storage can carry it with another file's (POSIX: the folder's
    // fsync left to flushFolder()). By default as durable as replace(), with nothing left.
    virtual OsError replaceFlushedLater(const char* source, const char* target) {
        return replace(source, target);
    }
    // Moves source to target in one step where nothing holds that name, and makes the move
    // durable as replace() does; a file, folder or link already there is Exists, and both stay
    // as they were. A file system that cannot move so (some network ones) gets a second name
    // linked and the first removed; one that cannot do that either is refused with the
    // system's reason, never replaced.
    virtual OsError moveToNewName(const char* source, const char* target) = 0;
    // Makes the moves replaceFlushedLater() made into folder durable.
    virtual OsError flushFolder(const char* /*folder*/) { return OsError::None; }
    // Whether a file another part of the program holds open for reading may still be moved or
    // removed (POSIX). Windows refuses while such a handle is open, and our own files are opened
    // without sharing: a reader there would make a replace() or an interrupt's removal fail.
    virtual bool movesOpenFiles() const { return false; }

    // What path reaches, links followed.
    virtual OsError info(const char* path, FileInfo& info) = 0;
    // What path is, a final link not followed (kind Link).
    virtual OsError linkInfo(const char* path, FileInfo& info) = 0;
    virtual OsError identity(const char* path, FileIdentity& identity) = 0;
    // The absolute path with every link, "." and ".." resolved; the path must exist.
    virtual OsError realPath(const char* path, std::string& real) = 0;
    // Gives the file this modification time, and makes it durable.
    virtual OsError setModified(const char* path, std::int64_t modified) = 0;
    // A folder that is already there is not an error.
    virtual OsError makeFolder(const char* path) = 0;
    // Removes the folder only while it holds nothing: one that holds anything stays, an error.
    virtual OsError removeEmptyFolder(const char* path) = 0;
    // Calls visit with every file and folder in folder ("." and ".." aside).
    virtual OsError forEachEntry(const char* folder,
                                 const std::function<void(const FolderEntry& entry)>& visit) = 0;

    // The removable media: where the system has drive letters, the removable drives from C: to
    // Y: in order (platform/removable_drives.h); elsewhere the mounted filesystems on removable
    // media, sorted by mount point, each device once (bind mounts of a folder left out).
    virtual OsError removableMedia(std::vector<RemovableMedium>& media) = 0;
    // Whether a filesystem is mounted at folder itself (a drive letter's root: whether a
    // volume is in it). The mount table is read afresh each time.
    virtual OsError mountedAt(const char* folder, bool& mounted) = 0;
    // Returns once the mounted filesystems (or the drives) may have changed, or after
    // timeoutMilliseconds (-1: no limit), costing nothing meanwhile; Interrupted at once when an
    // interrupt came while interrupts are deferred. A change may be reported that was none:
    // the caller looks again.
    virtual OsError waitForMountChange(int timeoutMilliseconds) = 0;
    // What was written to the filesystem at root reaches the storage before this returns:
    // syncfs, or FlushFileBuffers on the volume where Windows allows it (an administrator's
    // right). AccessDenied where it does not, Unsupported for a path of no drive letter there:
    // then only the files flushed on their own are sure to be on the storage.
    virtual OsError flushVolume(const char* root) = 0;
    // Where the system's own files are read from (the mount table, sysfs): "" for the real
    // ones, a folder holding copies of them otherwise.
    virtual void setSystemRoot(const std::string& root) = 0;
};

} // namespace kovra
