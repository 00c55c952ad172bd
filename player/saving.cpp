#include "player/saving.h"

#include <cctype>
#include <cstdio>

#include "device/file_paths.h"
#include "device/file_replacement.h"
#include "device/free_name_platform.h"
#include "platform/names.h"
#include "player/failures.h"
#include "words/clip_json.h"
#include "words/finding_words.h"
#include "words/shown_names.h"

namespace kovra::player {

namespace {

constexpr char kVideoExtension[] = ".avi";
constexpr std::size_t kVideoExtensionSize = sizeof kVideoExtension - 1;

bool endsWithVideoExtension(const std::string& name) {
    if (name.size() <= kVideoExtensionSize)
        return false;
    for (std::size_t i = 0; i < kVideoExtensionSize; ++i)
        if (std::tolower(static_cast<unsigned char>(name[name.size() - kVideoExtensionSize + i])) !=
            kVideoExtension[i])
            return false;
    return true;
}

// The most folders made above the save folder: ~/Videos/kovra on a system without ~/Videos.
constexpr int kMostFoldersMade = 8;

// folder made, and those above it that are missing.
OsError makeFolders(Platform& platform, const std::string& folder, int depth = 0) {
    OsError error = platform.makeFolder(folder.c_str());
    if (error != OsError::NotFound || depth >= kMostFoldersMade)
        return error;
    std::size_t end = folder.size();
    while (end > 0 && isPathSeparator(folder[end - 1]))
        --end;
    while (end > 0 && !isPathSeparator(folder[end - 1]))
        --end;
    while (end > 1 && isPathSeparator(folder[end - 1]))
        --end;
    if (end == 0 || end >= folder.size())
        return error;
    OsError above = makeFolders(platform, folder.substr(0, end), depth + 1);
    return above == OsError::None ? platform.makeFolder(folder.c_str()) : above;
}

// stem in folder, then stem-2, stem-3 ..., each with extension.
NameFor freeNames(const std::string& folder, const std::string& stem,
                  const std::string& extension) {
    return [=](unsigned attempt) {
        return joinPath(folder,
                        stem + (attempt > 1 ? "-" + std::to_string(attempt) : "") + extension);
    };
}

Failure clipFailure(const clips::ClipFailure& failure, const std::string& start,
                    const std::string& end) {
    using clips::ClipFailureKind;
    const std::string name = words::shownName(failure.path);
    switch (failure.kind) {
    case ClipFailureKind::Unreadable:
    case ClipFailureKind::CandidateUnreadable:
        return unreadable(failure.path, failure.error);
    case ClipFailureKind::Unusable:
        return {Refusal::Unusable, failure.path, OsError::None,
                name + ": cannot be used: " + words::problemText(failure.finding)};
    case ClipFailureKind::CandidateNotAFile:
        return {Refusal::Unusable, failure.path, OsError::None,
                name + ": not a file that can be read; it may hold some of the range"};
    case ClipFailureKind::NotCovered:
        return refused(Refusal::NotFound, "no video holds " + start + " to " + end);
    case ClipFailureKind::NothingInRange:
        return refused(Refusal::NotFound, "no frame of the videos starts in the range given");
    case ClipFailureKind::FormatsDiffer:
        return {Refusal::Unusable, failure.path, OsError::None,
                name + ": not one format with " + words::shownName(failure.otherPath)};
    case ClipFailureKind::Unwritable:
        return unwritable(failure.path, failure.error);
    case ClipFailureKind::None:
        break;
    }
    return {};
}

} // namespace

std::string frameFileStem(const std::string& videoPath, std::uint64_t n) {
    std::string name = baseName(videoPath);
    if (endsWithVideoExtension(name))
        name.resize(name.size() - kVideoExtensionSize);
    if (name.size() > kMostStemChars)
        name.resize(kMostStemChars);
    for (char& c : name)
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '-' && c != '_' && c != '.')
            c = '_';
    // A name of dots alone ("..") would name a folder.
    if (name.find_first_not_of('.') == std::string::npos)
        name = "video";
    char number[32];
    std::snprintf(number, sizeof number, "-frame-%06llu", static_cast<unsigned long long>(n));
    return name + number;
}

std::string clipFileStem(clips::ClockMillis start, clips::ClockMillis end) {
    clips::CivilTime from = clips::toCivil(start), to = clips::toCivil(end);
    char text[64];
    std::snprintf(text, sizeof text, "kovra-%04d-%02d-%02d-%02d%02d%02d-%02d%02d%02d", from.year,
                  from.month, from.day, from.hour, from.minute, from.second, to.hour, to.minute,
                  to.second);
    return text;
}

SavedAnswer saveFrame(Platform& platform, const FrameAnswer& frame, const std::string& video,
                      std::uint64_t n, const std::string& folder) {
    SavedAnswer answer;
    if (frame.failure.refusal != Refusal::None) {
        answer.failure = frame.failure;
        return answer;
    }
    OsError error = makeFolders(platform, folder);
    if (error != OsError::None) {
        answer.failure = unwritable(folder, error);
        return answer;
    }
    NameFor names = freeNames(folder, frameFileStem(video, n), ".jpg");
    answer.path = names(1);
    {
        FileReplacement file(platform, answer.path);
        error = file.openError();
        if (error == OsError::None)
            error = file.write(frame.jpeg.data(), frame.jpeg.size());
        if (error == OsError::None)
            error = file.commitToFreeName(names, kMostNameTries, answer.path);
    }
    if (error != OsError::None) {
        answer.failure = unwritable(answer.path, error);
        return answer;
    }
    words::putName(answer.document, "path", answer.path);
    return answer;
}

SavedAnswer saveClip(Platform& platform, const clips::RangeCandidates& card,
                     const std::string& start, const std::string& end, const std::string& folder,
                     std::int64_t offsetMillis) {
    SavedAnswer answer;
    std::optional<clips::ClockMillis> from = clips::parseClockTime(start);
    std::optional<clips::ClockMillis> to = clips::parseClockTime(end);
    if (!from || !to) {
        answer.failure =
            refused(Refusal::BadRequest, "start and end are \"YYYY-MM-DD HH:MM:SS[.fff]\"");
        return answer;
    }
    if (*to <= *from) {
        answer.failure = refused(Refusal::BadRequest, "the end comes before the start");
        return answer;
    }
    OsError error = makeFolders(platform, folder);
    if (error != OsError::None) {
        answer.failure = unwritable(folder, error);
        return answer;
    }
    FreeNamePlatform saving(platform, freeNames(folder, clipFileStem(*from, *to), kVideoExtension),
                            kMostNameTries);
    clips::ClipOutcome outcome =
        clips::clipRange(saving, card, *from - offsetMillis, *to - offsetMillis, saving.first());
    if (!outcome.written()) {
        clips::ClipFailure failure = outcome.failure;
        // The name the move failed on, where the clip was written whole.
        if (failure.path == saving.first() && !saving.named().empty())
            failure.path = saving.named();
        answer.failure = clipFailure(failure, start, end);
        return answer;
    }
    answer.path = saving.named();
    answer.document = words::clipJson(answer.path, outcome, offsetMillis);
    return answer;
}

} // namespace kovra::player
