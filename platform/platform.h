// The operating-system services Kovra uses, in three interfaces: an open file
// (platform/file_io.h), paths, folders and media (platform/file_system.h), and the desktop
// session (platform/desktop.h). Platform is the one object that offers all three, so that a
// caller or a test's platform holds a single reference. The build links exactly one
// implementation (platform/win32 or platform/posix); tests may derive from Platform (most
// through ForwardingPlatform) to script an answer, record a call or make one fail, on any of
// the three. Code that needs only one part may take only that one.
#pragma once

#include "platform/desktop.h"
#include "platform/file_io.h"
#include "platform/file_system.h"

namespace kovra {

class Platform : public FileIo, public FileSystem, public Desktop {
  public:
    // open(), then the file's size; nothing is left open when either fails. A platform whose
    // open learns the size anyway (POSIX checks what the path names) spares the second call.
    virtual OsError openSized(const char* path, OpenMode mode, FileId& file, std::uint64_t& size) {
        OsError error = open(path, mode, file);
        if (error != OsError::None)
            return error;
        error = fileSize(file, size);
        if (error != OsError::None)
            close(file);
        return error;
    }
};

// The implementation this build was made for.
Platform& systemPlatform();

} // namespace kovra
