#include "cli/video_copy.h"

#include "avi/video_reading.h"
#include "avi/writer.h"
#include "cli/video_text.h"
#include "device/file_replacement.h"
#include "device/video_files.h"
#include "device/video_output.h"

namespace kovra::cli {

namespace {

// What was fixed, in words: the signature first, then what each finding's repair did.
CopyResult writtenResult(const avi::VideoReport& report, std::uint64_t frames) {
    CopyResult result;
    result.written = true;
    result.wasSound = report.state == avi::VideoState::Ok;
    result.frames = frames;
    if (report.signature != avi::Signature::Riff)
        result.fixed.push_back("signature RIFF");
    for (const avi::Finding& finding : report.findings)
        result.fixed.push_back(fixText(finding));
    return result;
}

// A sound video is the system's copy of it with "RIFF": no need to read it here.
VideoCopy copySound(Platform& platform, const std::string& source, const std::string& target,
                    const avi::VideoReport& report, std::int64_t modified) {
    VideoCopy copy;
    copy.errorPath = target;
    FileReplacement out(platform, target, FileReplacement::CopyOf{source});
    copy.error = out.openError();
    if (copy.error == OsError::None && report.signature != avi::Signature::Riff)
        copy.error = out.write(kRiffSignature, kSignatureSize);
    if (copy.error == OsError::None) {
        out.keepModified(modified);
        copy.error = out.commit();
    }
    copy.result = writtenResult(report, report.frames);
    return copy;
}

} // namespace

VideoCopy writePlayable(Platform& platform, const std::string& source, const std::string& target,
                        std::int64_t modified, const avi::VideoReport* report) {
    if (report && report->state == avi::VideoState::Ok)
        return copySound(platform, source, target, *report, modified);
    VideoCopy copy;
    VideoFileSource in(platform, source);
    if (in.openError() != OsError::None) {
        copy.error = in.openError();
        copy.errorPath = source;
        return copy;
    }
    FileReplacement out(platform, target);
    if (!out.isOpen()) {
        copy.error = out.openError();
        copy.errorPath = target;
        return copy;
    }
    avi::VideoReading reading = avi::readVideo(in, true);
    avi::WriteOutcome outcome;
    if (reading.report.state == avi::VideoState::Unreadable) {
        copy.result.reason = problemText(reading.report.findings.front());
    } else if (in.readError() == OsError::None) {
        VideoOutput sink(out, {&in});
        outcome = avi::writeRepair(reading, sink);
        if (!outcome.written)
            copy.result.reason = "the output could not be written";
    }
    copy.error = in.readError();
    copy.errorPath = source;
    if (copy.error == OsError::None && out.writeError() != OsError::None) {
        copy.error = out.writeError(); // a full disk: the target is to blame, not the video
        copy.errorPath = target;
    }
    if (copy.error == OsError::None && outcome.written) {
        copy.result = writtenResult(reading.report, outcome.frames);
        out.keepModified(modified);
        copy.error = out.commit();
        copy.errorPath = target;
    }
    return copy; // not committed: the temporary file goes with out
}

} // namespace kovra::cli
