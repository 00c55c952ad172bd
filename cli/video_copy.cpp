#include "cli/video_copy.h"

#include "device/file_replacement.h"
#include "device/video_files.h"

namespace kovra::cli {

VideoCopy writePlayable(Platform& platform, const std::string& source, const std::string& target,
                        std::int64_t modified) {
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
    if (in.readError() != OsError::None) {
        copy.error = in.readError();
        copy.errorPath = source;
    } else if (copy.result.written) {
        out.keepModified(modified);
        copy.error = out.commit();
        copy.errorPath = target;
    }
    return copy; // not committed: the temporary file goes with out
}

} // namespace kovra::cli
