#include "cli/video_copy.h"

#include "device/file_replacement.h"
#include "device/video_files.h"

namespace kovra::cli {

namespace {

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
    copy.result = avi::soundCopyResult(report);
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
    ReplacementSink sink(out);
    copy.result = avi::repair(in, sink);
    copy.error = in.readError();
    copy.errorPath = source;
    if (copy.error == OsError::None && out.writeError() != OsError::None) {
        copy.error = out.writeError(); // a full disk: the target is to blame, not the video
        copy.errorPath = target;
    }
    if (copy.error == OsError::None && copy.result.written) {
        out.keepModified(modified);
        copy.error = out.commit();
        copy.errorPath = target;
    }
    return copy; // not committed: the temporary file goes with out
}

} // namespace kovra::cli
