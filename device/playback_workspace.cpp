#include "device/playback_workspace.h"

#include <cctype>
#include <cstring>

#include "device/video_files.h"
#include "platform/file.h"

namespace kovra {

namespace {

bool equalsIgnoringCase(const char* a, const char* b, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

// FindFirstFileA also matches 8.3 short names: "~mrclip.avix" is "~MRCLI~1.AVI" and would be
// found by "~mr*.avi". Only a long name that itself has the form is one of our copies.
bool isCopyName(const char* name) {
    static constexpr char kSuffix[] = ".avi";
    std::size_t prefix = std::strlen(PlaybackWorkspace::kCopyPrefix);
    std::size_t suffix = sizeof kSuffix - 1;
    std::size_t n = std::strlen(name);
    return n >= prefix + suffix &&
           equalsIgnoringCase(name, PlaybackWorkspace::kCopyPrefix, prefix) &&
           equalsIgnoringCase(name + n - suffix, kSuffix, suffix);
}

} // namespace

void PlaybackWorkspace::prepareTempDir() {
    tempDir_.clear();
    // A failed call may leave anything in the buffer.
    if (platform_.tempPath(tempDir_.data(), tempDir_.capacity()) != OsError::None)
        tempDir_.clear();
    ensureTrailingBackslash(tempDir_);
}

bool PlaybackWorkspace::ensureTrailingBackslash(TempDir& dir) {
    if (dir.empty())
        return false;
    return dir.last() == '\\' || dir.append("\\");
}

void PlaybackWorkspace::cleanup() {
    // Without a folder the pattern would be relative and sweep the current folder instead.
    if (!ensureTrailingBackslash(tempDir_))
        return;
    CopyPath pattern;
    if (!pattern.assign(tempDir_.c_str()) || !pattern.append(kCopyPattern))
        return;
    platform_.forEachMatch(pattern.c_str(), [this](const char* name) {
        CopyPath path;
        if (isCopyName(name) && path.assign(tempDir_.c_str()) && path.append(name))
            platform_.remove(path.c_str()); // a copy a player holds open stays until next time
    });
}

PlayOutcome PlaybackWorkspace::play(const char* videoPath, const char* videoName,
                                    bool devicePresent) {
    CopyPath target;
    if (!prepare(videoPath, videoName, devicePresent, target))
        return PlayOutcome::Rejected;
    platform_.shellOpen(target.c_str()); // the shell or the player reports what it cannot open
    return PlayOutcome::Opened;
}

bool PlaybackWorkspace::prepare(const char* videoPath, const char* videoName, bool devicePresent,
                                CopyPath& target) {
    VideoText path, name;
    if (!path.assign(videoPath) || !name.assign(videoName) || name.empty())
        return false;

    if (tempDir_.empty()) {
        // Nowhere to put a copy: the card's file is never patched, so with a device there is
        // nothing to play, and without one there is no earlier copy to look for.
        if (devicePresent)
            return false;
        target.assign(path.c_str()); // 255 characters always fit
    } else {
        if (!ensureTrailingBackslash(tempDir_) || !target.assign(tempDir_.c_str()) ||
            !target.append(kCopyPrefix) || !target.append(name.c_str()) ||
            target.length() > kMaxCopyPathLength)
            return false;
        // An earlier Play prepared it, or left it behind as rejected: open it as it is.
        if (platform_.exists(target.c_str()))
            return true;
        if (devicePresent) {
            // A cut copy must not be taken for the video, now or by a later Play.
            if (platform_.copy(path.c_str(), target.c_str()) != OsError::None) {
                platform_.remove(target.c_str());
                return false;
            }
        } else {
            target.assign(path.c_str());
        }
    }

    return checkAndPatch(target.c_str()) != Signature::Other || !devicePresent;
}

PlaybackWorkspace::Signature PlaybackWorkspace::checkAndPatch(const char* target) {
    File file(platform_, target, OpenMode::ReadWriteExclusive);
    if (!file.isOpen())
        return Signature::Unopened;
    char head[kSignatureSize];
    // A file shorter than the signature matches nothing.
    if (file.read(head, sizeof head) != OsError::None)
        return Signature::Other;
    if (std::memcmp(head, kRiffSignature, kSignatureSize) == 0)
        return Signature::Riff;
    if (std::memcmp(head, kMarsSignature, kSignatureSize) != 0)
        return Signature::Other;
    // Writing where the read left off would damage the bytes after the signature.
    if (file.seek(0) == OsError::None)
        file.write(kRiffSignature, kSignatureSize);
    return Signature::Mars;
}

} // namespace kovra
