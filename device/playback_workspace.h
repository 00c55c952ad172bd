// Turns a recorder video into one the PC's player accepts: a copy in the user's temporary
// folder named "~mr" + the video's name, handed to the shell's "open" verb. The copy of a
// video the recorder closed is its own bytes with "RIFF"; one a power cut left without its
// index is written as a repair writes it. Also removes those copies again.
#pragma once

#include <cstddef>

#include "platform/path_buffer.h"
#include "platform/platform.h"

namespace kovra {

enum class PlayOutcome {
    Opened,   // handed to the shell
    Rejected, // not handed to the shell
};

class PlaybackWorkspace {
  public:
    using TempDir = PathBuffer<512>;
    using VideoText = PathBuffer<256>; // videoPath and videoName
    using CopyPath = PathBuffer<512>;

    static constexpr const char* kCopyPrefix = "~mr";
    static constexpr const char* kCopyPattern = "~mr*.avi";
    // What a Play cut short (the program ended while it wrote) leaves: a copy's temporary file.
    static constexpr const char* kLeftoverPattern = "~mr*.kovra-tmp";
    // The ANSI file calls address no path of MAX_PATH (260) characters or more: a copy there
    // could be made but never opened, patched or removed again.
    static constexpr std::size_t kMaxCopyPathLength = 259;

    explicit PlaybackWorkspace(Platform& platform) : platform_(platform) {}

    // Takes the platform's temporary folder; left empty when the platform gives none or one
    // that does not fit.
    void prepareTempDir();
    // Ends dir in the system's separator ('\\' on Windows, '/' on POSIX). False when dir is
    // empty or has no room for it; dir is then unchanged.
    static bool ensureTrailingSeparator(TempDir& dir);

    // Deletes the ~mr*.avi copies in the temporary folder, and what a Play cut short left of
    // one; a copy a player still holds stays.
    void cleanup();
    // With a device the copy is prepared and opened and the chosen file is never written;
    // without one the chosen file itself is patched.
    PlayOutcome play(const char* videoPath, const char* videoName, bool devicePresent);
    // What Play hands the shell.
    struct Prepared {
        CopyPath path;         // the file to open
        bool repaired = false; // this Play wrote it as a repair writes the video
    };
    // Play without the shell: true when prepared names the file ready to be opened.
    bool prepare(const char* videoPath, const char* videoName, bool devicePresent,
                 Prepared& prepared);

    TempDir& tempDir() { return tempDir_; }
    const TempDir& tempDir() const { return tempDir_; }

  private:
    enum class Signature { Unopened, Mars, Riff, Other };
    enum class Rewrite {
        Written,   // the copy is in place, whole
        Failed,    // reading the video or writing the copy failed; nothing is left
        PlainCopy, // closed by the recorder, neither MARS nor RIFF, unreadable, or no room for
                   // the temporary file's name: copied as it is and its signature checked
    };

    void removeMatches(const char* pattern, bool (*ours)(const char* name));
    // The copy of a video a power cut left unclosed, as a repair writes it, under a temporary
    // name until it is whole.
    Rewrite writePlayableCopy(const char* source, const char* target, bool& repaired);
    Signature checkAndPatch(const char* target);

    Platform& platform_;
    TempDir tempDir_;
};

} // namespace kovra
