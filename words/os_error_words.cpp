#include "words/os_error_words.h"

#include <cctype>

namespace kovra::words {

namespace {

// Our words for the kind; empty for Other, which the system's own words describe.
const char* wordsFor(OsError error) {
    switch (error.kind()) {
    case OsError::None:
        return "no error";
    case OsError::NotFound:
        return "no such file or folder";
    case OsError::AccessDenied:
        return "permission denied (read-only, or a folder)";
    case OsError::ReadOnly:
        return "the medium is read-only";
    case OsError::SharingViolation:
        return "in use by another program";
    case OsError::ShortRead:
        return "ended early";
    case OsError::ShortWrite:
        return "not all written";
    case OsError::DiskFull:
        return "no room left (is the disk full?)";
    case OsError::FileTooLarge:
        return "file too large";
    case OsError::TooLong:
        return "path too long";
    case OsError::IsFolder:
        return "is a folder";
    case OsError::NotAFile:
        return "not a regular file";
    case OsError::NotAFolder:
        return "not a folder (a file stands where the path needs a folder)";
    case OsError::LinkLoop:
        return "too many levels of links";
    case OsError::Exists:
        return "already exists";
    case OsError::Interrupted:
        return "interrupted";
    case OsError::NoHandler:
        return "no program to open it with";
    case OsError::Unsupported:
        return "not supported here";
    case OsError::Other:
        break;
    }
    return "";
}

std::string lowerCase(std::string text) {
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

} // namespace

std::string describe(OsError error) {
    std::string words = wordsFor(error);
    std::string system = osErrorText(error); // "File too large, errno 27"
    if (words.empty())
        return system.empty() ? "failed, the system gave no reason" : system;
    if (system.empty())
        return words;
    // The system's words where they say what ours do add only its code.
    std::size_t comma = system.rfind(", ");
    if (comma != std::string::npos && lowerCase(system.substr(0, comma)) == lowerCase(words))
        return words + " (" + system.substr(comma + 2) + ")";
    return words + " (" + system + ")";
}

} // namespace kovra::words
