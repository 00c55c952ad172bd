// What went wrong in a call to the system: errno and GetLastError fold onto one set of kinds,
// and the system's own code stays with it for the message a person reads.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>

namespace kovra {

class OsError {
  public:
    enum Kind : std::uint8_t {
        None,
        NotFound,         // no such file, folder or drive
        AccessDenied,     // permissions, or a read-only attribute
        ReadOnly,         // the medium is read-only (mounted so, or its switch set)
        SharingViolation, // another handle or process holds the file
        ShortRead,        // the file ended before the requested bytes arrived
        ShortWrite,       // fewer bytes were written than were given, for no reason given
        DiskFull,         // no room left on the disk, or in the user's share of it
        FileTooLarge,     // larger than the file system or a limit set for the process allows
        TooLong,          // a path or a result did not fit its buffer
        IsFolder,         // a folder where a file was wanted
        NotAFile,         // a FIFO, device or socket where a regular file was wanted
        NotAFolder,       // a part of the path that should be a folder is a file
        LinkLoop,         // too many levels of symbolic links
        Exists,           // created new, but something of that name is there (a file where
                          // a folder is made, a link to nothing)
        Interrupted,      // the user interrupted the program while it wrote
        NoHandler,        // no program to open the file with
        Unsupported,      // the system offers no such service here
        Other,            // anything else: the native code says what
    };

    // Which file of a copy the failure concerns.
    enum class Side : std::uint8_t { Either, Source, Target };

    constexpr OsError(Kind kind = None, std::int32_t native = 0) noexcept // NOLINT: implicit
        : kind_(kind), native_(native) {}

    constexpr Kind kind() const { return kind_; }
    // errno on POSIX, GetLastError on Windows; 0 when the system gave none.
    constexpr std::int32_t native() const { return native_; }
    constexpr Side side() const { return side_; }
    constexpr OsError on(Side side) const {
        OsError error = *this;
        error.side_ = side;
        return error;
    }

    // Errors compare by kind: the native code and side are what the message adds.
    friend constexpr bool operator==(OsError a, OsError b) { return a.kind_ == b.kind_; }
    friend constexpr bool operator!=(OsError a, OsError b) { return a.kind_ != b.kind_; }

  private:
    Kind kind_;
    Side side_ = Side::Either;
    std::int32_t native_;
};

// "NotFound", "DiskFull" ...: the kind's name, for logs and test output.
const char* osErrorName(OsError error);

// The system's own words for the native code, with the code: "Input/output error, errno 5",
// "The device is not ready., error 21"; empty when there is no native code. One
// implementation per system.
std::string osErrorText(OsError error);

inline std::ostream& operator<<(std::ostream& out, OsError error) {
    out << osErrorName(error);
    if (error.native() != 0)
        out << " (" << error.native() << ")";
    return out;
}

} // namespace kovra
