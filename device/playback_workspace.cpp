#include "device/playback_workspace.h"

#include <cctype>
#include <cstring>
#include <string>

#include "device/closed_video.h"
#include "device/file_replacement.h"
#include "device/unflushed_platform.h"
#include "device/video_copy.h"
#include "device/video_files.h"
#include "platform/file.h"
#include "platform/names.h"

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
bool isCopyName(const std::string& name) {
    static constexpr char kSuffix[] = ".avi";
    std::size_t prefix = std::strlen(PlaybackWorkspace::kCopyPrefix);
    std::size_t suffix = sizeof kSuffix - 1;
    std::size_t n = name.size();
    return n >= prefix + suffix &&
           equalsIgnoringCase(name.c_str(), PlaybackWorkspace::kCopyPrefix, prefix) &&
           equalsIgnoringCase(name.c_str() + n - suffix, kSuffix, suffix);
}

bool isCopy(const char* name) {
    return isCopyName(name);
}

// A copy's temporary file: the copy's name, a dot, the number of the process that wrote it,
// and the suffix. Any other name the pattern finds is someone else's.
bool isLeftover(const char* name) {
    std::string rest = name;
    std::size_t suffix = std::strlen(FileReplacement::kTemporarySuffix);
    if (rest.size() < suffix || !equalsIgnoringCase(rest.c_str() + rest.size() - suffix,
                                                    FileReplacement::kTemporarySuffix, suffix))
        return false;
    rest.resize(rest.size() - suffix);
    std::size_t digits = 0;
    while (digits < rest.size() &&
           std::isdigit(static_cast<unsigned char>(rest[rest.size() - 1 - digits])))
        ++digits;
    if (digits == 0 || digits == rest.size() || rest[rest.size() - 1 - digits] != '.')
        return false;
    rest.resize(rest.size() - 1 - digits);
    return isCopyName(rest);
}

} // namespace

void PlaybackWorkspace::prepareTempDir() {
    tempDir_.clear();
    // A failed call may leave anything in the buffer.
    if (platform_.tempPath(tempDir_.data(), tempDir_.capacity()) != OsError::None)
        tempDir_.clear();
    ensureTrailingSeparator(tempDir_);
}

bool PlaybackWorkspace::ensureTrailingSeparator(TempDir& dir) {
    if (dir.empty())
        return false;
    const char separator[] = {pathSeparator(), '\0'};
    return dir.last() == separator[0] || dir.append(separator);
}

void PlaybackWorkspace::cleanup() {
    // Without a folder the pattern would be relative and sweep the current folder instead.
    if (!ensureTrailingSeparator(tempDir_))
        return;
    removeMatches(kCopyPattern, isCopy);
    // As large as the copy it was to become, and no Play would ever look at it again.
    removeMatches(kLeftoverPattern, isLeftover);
}

void PlaybackWorkspace::removeMatches(const char* pattern, bool (*ours)(const char* name)) {
    CopyPath full;
    if (!full.assign(tempDir_.c_str()) || !full.append(pattern))
        return;
    platform_.forEachMatch(full.c_str(), [this, ours](const char* name) {
        CopyPath path;
        if (ours(name) && path.assign(tempDir_.c_str()) && path.append(name))
            platform_.remove(path.c_str()); // a copy a player holds open stays until next time
    });
}

PlayOutcome PlaybackWorkspace::play(const char* videoPath, const char* videoName,
                                    bool devicePresent) {
    Prepared prepared;
    if (!prepare(videoPath, videoName, devicePresent, prepared))
        return PlayOutcome::Rejected;
    // The shell or the player reports what it cannot open.
    platform_.shellOpen(prepared.path.c_str());
    return PlayOutcome::Opened;
}

bool PlaybackWorkspace::prepare(const char* videoPath, const char* videoName, bool devicePresent,
                                Prepared& prepared) {
    prepared.repaired = false;
    CopyPath& target = prepared.path;
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
        if (!ensureTrailingSeparator(tempDir_) || !target.assign(tempDir_.c_str()) ||
            !target.append(kCopyPrefix) || !target.append(name.c_str()) ||
            target.length() > kMaxCopyPathLength)
            return false;
        // An earlier Play prepared it, or left it behind as rejected: open it as it is.
        if (platform_.exists(target.c_str()))
            return true;
        if (devicePresent) {
            switch (writePlayableCopy(path.c_str(), target.c_str(), prepared.repaired)) {
            case Rewrite::Written:
                return true;
            case Rewrite::Failed:
                return false;
            case Rewrite::PlainCopy:
                break;
            }
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

PlaybackWorkspace::Rewrite
PlaybackWorkspace::writePlayableCopy(const char* source, const char* target, bool& repaired) {
    // The copy of a video the recorder closed is its own bytes: reading it through as well
    // would make the owner wait longer for every sound video than a plain copy takes. One
    // that is no video is copied and its signature checked as any file is, and maybe refused.
    if (closingOf(platform_, source) != VideoClosing::Unclosed)
        return Rewrite::PlainCopy;
    // A temporary name the ANSI calls cannot address would fail the copy that a plain one
    // still makes.
    if (FileReplacement::temporaryPathFor(target, platform_.processId()).size() >
        kMaxCopyPathLength)
        return Rewrite::PlainCopy;
    FileInfo info;
    if (platform_.info(source, info) != OsError::None)
        return Rewrite::Failed;
    // The reading runs while the system copies the video from its first byte; the index goes
    // after the bytes that copy keeps.
    UnflushedPlatform scratch(platform_);
    VideoCopy copy = writePlayable(scratch, source, target, info.modified);
    if (copy.written) {
        repaired = copy.report.state == avi::VideoState::Repairable;
        return Rewrite::Written;
    }
    // Unreadable: the player may still make something of it.
    return copy.error == OsError::None ? Rewrite::PlainCopy : Rewrite::Failed;
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
