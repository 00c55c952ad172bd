#include "player/failures.h"

#include "words/finding_words.h"
#include "words/os_error_words.h"
#include "words/reasons.h"
#include "words/shown_names.h"

namespace kovra::player {

Failure refused(Refusal refusal, const std::string& text) {
    return {refusal, {}, OsError::None, text};
}

Failure unreadable(const std::string& path, OsError error) {
    return {Refusal::Unreadable, path, error,
            words::shownName(path) + ": cannot be read: " + words::describe(error)};
}

Failure unwritable(const std::string& path, OsError error) {
    return {Refusal::Unwritable, path, error,
            words::shownName(path) + ": cannot be written: " + words::describe(error)};
}

Failure unusable(const std::string& path, const avi::VideoReport& report) {
    std::string why = report.findings.empty() ? std::string("no video")
                                              : words::problemText(report.findings.front());
    return {Refusal::Unusable, path, OsError::None,
            words::shownName(path) + ": cannot be used: " + why};
}

Failure misplaced(const std::string& path, const std::string& what) {
    return {Refusal::Unusable, path, OsError::None,
            words::shownName(path) + ": " + what + " is not where the video's index says"};
}

Failure noPicture(const std::string& path, std::uint64_t frame, pictures::NoPicture why) {
    return {Refusal::Unusable, path, OsError::None,
            words::shownName(path) + ": frame " + std::to_string(frame) +
                " gives no picture: " + words::noPictureText(why)};
}

} // namespace kovra::player
