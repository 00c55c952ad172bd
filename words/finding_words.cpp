#include "words/finding_words.h"

namespace kovra::words {

namespace {

std::string number(std::uint64_t n) {
    return std::to_string(n);
}

std::string streamName(const avi::Finding& finding) {
    return "stream " + number(finding.stream);
}

// The strh rate over its scale, as the file claims it: "1/4294967295".
std::string rateText(const avi::Finding& finding) {
    return number(finding.stated) + "/" + number(finding.found);
}

} // namespace

const char* findingKindName(avi::FindingKind kind) {
    using avi::FindingKind;
    switch (kind) {
    case FindingKind::NotAvi:
        return "notAvi";
    case FindingKind::NoHeader:
        return "noHeader";
    case FindingKind::NoVideoStream:
        return "noVideoStream";
    case FindingKind::NoMovi:
        return "noMovi";
    case FindingKind::DamagedFormat:
        return "damagedFormat";
    case FindingKind::SoundWithoutRate:
        return "soundWithoutRate";
    case FindingKind::NoFrameRate:
        return "noFrameRate";
    case FindingKind::TooLong:
        return "tooLong";
    case FindingKind::NoCompleteFrame:
        return "noCompleteFrame";
    case FindingKind::TooLargeToRepair:
        return "tooLargeToRepair";
    case FindingKind::ReadError:
        return "readError";
    case FindingKind::NoIndex:
        return "noIndex";
    case FindingKind::IndexCutOff:
        return "indexCutOff";
    case FindingKind::IndexDisagrees:
        return "indexDisagrees";
    case FindingKind::HasIndexFlagMissing:
        return "hasIndexFlagMissing";
    case FindingKind::LastChunkCutOff:
        return "lastChunkCutOff";
    case FindingKind::Garbage:
        return "garbage";
    case FindingKind::DamagedFrames:
        return "damagedFrames";
    case FindingKind::TrailingBytes:
        return "trailingBytes";
    case FindingKind::OpenDmlParts:
        return "openDmlParts";
    case FindingKind::UnpaddedChunks:
        return "unpaddedChunks";
    case FindingKind::RiffSize:
        return "riffSize";
    case FindingKind::MoviSize:
        return "moviSize";
    case FindingKind::TotalFrames:
        return "totalFrames";
    case FindingKind::StreamCount:
        return "streamCount";
    case FindingKind::StreamLength:
        return "streamLength";
    case FindingKind::FrameRate:
        return "frameRate";
    }
    return "unknown";
}

std::optional<avi::FindingKind> findingKindNamed(const std::string& name) {
    // FrameRate is the last kind.
    for (int k = 0; k <= static_cast<int>(avi::FindingKind::FrameRate); ++k) {
        auto kind = static_cast<avi::FindingKind>(k);
        if (name == findingKindName(kind))
            return kind;
    }
    return std::nullopt;
}

std::string problemText(const avi::Finding& f) {
    using avi::FindingKind;
    switch (f.kind) {
    case FindingKind::NotAvi:
        return "not an AVI file";
    case FindingKind::NoHeader:
        return "no readable header (hdrl)";
    case FindingKind::NoVideoStream:
        return "no video stream";
    case FindingKind::NoMovi:
        return "no movi list";
    case FindingKind::DamagedFormat:
        return "format (strf) of " + streamName(f) + " missing or damaged";
    case FindingKind::SoundWithoutRate:
        return "sound " + streamName(f) + " has no sample rate";
    case FindingKind::NoFrameRate:
        return "frame rate " + rateText(f) + " of " + streamName(f) +
               " is none a recorder makes, and avih gives none either";
    case FindingKind::TooLong:
        return number(f.found) + " frames last longer than 24 hours at the frame rate";
    case FindingKind::NoCompleteFrame:
        return "no complete frame";
    case FindingKind::TooLargeToRepair:
        return "repaired file would exceed 4 GiB";
    case FindingKind::ReadError:
        return "read error at offset " + number(f.found);
    case FindingKind::NoIndex:
        return "no index";
    case FindingKind::IndexCutOff:
        return "index cut off";
    case FindingKind::IndexDisagrees:
        return "index disagrees with the data";
    case FindingKind::HasIndexFlagMissing:
        return "avih has-index flag not set";
    case FindingKind::LastChunkCutOff:
        return "last chunk cut off";
    case FindingKind::Garbage:
        return "garbage between chunks: " + number(f.found) + " bytes";
    case FindingKind::DamagedFrames:
        return number(f.found) + " damaged frames";
    case FindingKind::TrailingBytes:
        return number(f.found) + " bytes after the end";
    case FindingKind::OpenDmlParts:
        return "OpenDML continuation: " + number(f.found) + " AVIX parts";
    case FindingKind::UnpaddedChunks:
        return number(f.found) + " odd-sized chunks without their pad byte";
    case FindingKind::RiffSize:
        return "RIFF size " + number(f.stated) + ", data holds " + number(f.found);
    case FindingKind::MoviSize:
        return "movi size " + number(f.stated) + ", data holds " + number(f.found);
    case FindingKind::TotalFrames:
        return "avih total frames " + number(f.stated) + ", data holds " + number(f.found);
    case FindingKind::StreamCount:
        return "avih streams " + number(f.stated) + ", header holds " + number(f.found);
    case FindingKind::StreamLength:
        return "strh length of " + streamName(f) + " " + number(f.stated) + ", data holds " +
               number(f.found);
    case FindingKind::FrameRate:
        return "strh frame rate " + rateText(f) + " of " + streamName(f) +
               " is none a recorder makes";
    }
    return "unknown damage";
}

std::string fixText(const avi::Finding& f) {
    using avi::FindingKind;
    switch (f.kind) {
    case FindingKind::ReadError:
        return "the unreadable rest left out";
    case FindingKind::NoIndex:
    case FindingKind::IndexCutOff:
    case FindingKind::IndexDisagrees:
        return "index rebuilt: " + number(f.fixed) + " entries";
    case FindingKind::HasIndexFlagMissing:
        return "avih has-index flag set";
    case FindingKind::LastChunkCutOff:
        return "cut-off last chunk left out";
    case FindingKind::Garbage:
        return "garbage left out";
    case FindingKind::DamagedFrames:
        return "damaged frames left out";
    case FindingKind::TrailingBytes:
        return "bytes after the end left out";
    case FindingKind::OpenDmlParts:
        return "AVIX parts merged into one RIFF";
    case FindingKind::UnpaddedChunks:
        return "pad bytes written";
    case FindingKind::RiffSize:
        return "RIFF size " + number(f.fixed);
    case FindingKind::MoviSize:
        return "movi size " + number(f.fixed);
    case FindingKind::TotalFrames:
        return "avih total frames " + number(f.fixed);
    case FindingKind::StreamCount:
        return "avih streams " + number(f.fixed);
    case FindingKind::StreamLength:
        return "strh length of " + streamName(f) + " " + number(f.fixed);
    case FindingKind::FrameRate:
        return "strh frame rate of " + streamName(f) + " from avih: " + number(f.fixed) +
               " microseconds a frame";
    case FindingKind::NotAvi:
    case FindingKind::NoHeader:
    case FindingKind::NoVideoStream:
    case FindingKind::NoMovi:
    case FindingKind::DamagedFormat:
    case FindingKind::SoundWithoutRate:
    case FindingKind::NoFrameRate:
    case FindingKind::TooLong:
    case FindingKind::NoCompleteFrame:
    case FindingKind::TooLargeToRepair:
        break;
    }
    return "nothing written"; // a failure: no repair is written
}

std::vector<std::string> problemTexts(const avi::VideoReport& report) {
    std::vector<std::string> texts;
    for (const avi::Finding& finding : report.findings)
        texts.push_back(problemText(finding));
    return texts;
}

std::vector<std::string> fixTexts(const avi::VideoReport& report) {
    std::vector<std::string> texts;
    if (report.signature != avi::Signature::Riff)
        texts.push_back("signature RIFF");
    for (const avi::Finding& finding : report.findings)
        texts.push_back(fixText(finding));
    return texts;
}

} // namespace kovra::words
