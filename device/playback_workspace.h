// Turns a recorder video into one the PC's player accepts: a copy in the user's temporary
// folder named "~mr" + the video's name, its "MARS" signature rewritten to "RIFF", handed to
// the shell's "open" verb. Also removes those copies again.
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
    // The ANSI file calls address no path of MAX_PATH (260) characters or more: a copy there
    // could be made but never opened, patched or removed again.
    static constexpr std::size_t kMaxCopyPathLength = 259;

    explicit PlaybackWorkspace(Platform& platform) : platform_(platform) {}

    // Takes the platform's temporary folder; left empty when the platform gives none or one
    // that does not fit.
    void prepareTempDir();
    // False when dir is empty or has no room for the backslash; dir is then unchanged.
    static bool ensureTrailingBackslash(TempDir& dir);

    // Deletes the ~mr*.avi copies in the temporary folder; one a player still holds stays.
    void cleanup();
    // With a device the copy is prepared and opened and the chosen file is never written;
    // without one the chosen file itself is patched.
    PlayOutcome play(const char* videoPath, const char* videoName, bool devicePresent);
    // Play without the shell: true when target names the file ready to be opened.
    bool prepare(const char* videoPath, const char* videoName, bool devicePresent,
                 CopyPath& target);

    TempDir& tempDir() { return tempDir_; }
    const TempDir& tempDir() const { return tempDir_; }

  private:
    enum class Signature { Unopened, Mars, Riff, Other };

    Signature checkAndPatch(const char* target);

    Platform& platform_;
    TempDir tempDir_;
};

} // namespace kovra
