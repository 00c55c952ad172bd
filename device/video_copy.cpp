#include "device/video_copy.h"

#include <memory>
#include <optional>

#include "avi/video_reading.h"
#include "avi/writer.h"
#include "device/copy_ahead.h"
#include "device/file_replacement.h"
#include "device/video_files.h"
#include "device/video_output.h"

namespace kovra {

namespace {

VideoCopy failedOn(OsError error, const std::string& path) {
    VideoCopy copy;
    copy.error = error;
    copy.errorPath = path;
    return copy;
}

// Whose fault a failed write or copy was: the source's for a read, the target's otherwise.
VideoCopy blame(const FileReplacement& out, const std::string& source) {
    OsError error = out.writeError();
    return failedOn(error, error.side() == OsError::Side::Source ? source : out.target());
}

VideoCopy commit(std::unique_ptr<FileReplacement> out, const std::string& source,
                 std::int64_t modified, VideoCopy copy, Commit when) {
    if (out->writeError() != OsError::None)
        return blame(*out, source);
    out->keepModified(modified);
    if (when == Commit::Later) {
        copy.unnamed = std::move(out);
        return copy;
    }
    OsError error = out->commit();
    if (error != OsError::None)
        return failedOn(error, out->target());
    copy.written = true;
    return copy;
}

// Why either file could not be opened, or nothing.
std::optional<VideoCopy> notOpened(const VideoFileSource& in, const FileReplacement& out) {
    if (in.openError() != OsError::None)
        return failedOn(in.openError(), in.path());
    if (!out.isOpen())
        return failedOn(out.openError(), out.target());
    return std::nullopt;
}

// The source's bytes from the first, by the system, with "RIFF" over its signature when asked.
VideoCopy copyWhole(Platform& platform, const std::string& source, const std::string& target,
                    std::int64_t modified, bool riff, Commit when) {
    VideoFileSource in(platform, source);
    auto out = std::make_unique<FileReplacement>(platform, target);
    if (std::optional<VideoCopy> failed = notOpened(in, *out))
        return std::move(*failed);
    static constexpr char kRiff[] = "RIFF";
    if (in.copyTo(*out, 0, in.size()) && riff)
        out->writeAt(0, kRiff, sizeof kRiff - 1);
    VideoCopy copy;
    copy.size = in.size();
    return commit(std::move(out), source, modified, std::move(copy), when);
}

} // namespace

VideoCopy inspectVideo(Platform& platform, const std::string& path) {
    VideoFileSource in(platform, path);
    if (in.openError() != OsError::None)
        return failedOn(in.openError(), path);
    VideoCopy copy;
    copy.report = avi::inspect(in);
    if (in.readError() != OsError::None)
        return failedOn(in.readError(), path);
    return copy;
}

VideoCopy writePlayable(Platform& platform, const std::string& source, const std::string& target,
                        std::int64_t modified, const avi::VideoReport* soundReport, Commit when) {
    if (soundReport && soundReport->state == avi::VideoState::Ok) {
        VideoCopy copy = copyWhole(platform, source, target, modified,
                                   soundReport->signature != avi::Signature::Riff, when);
        copy.report = *soundReport;
        return copy;
    }
    VideoFileSource in(platform, source);
    auto file = std::make_unique<FileReplacement>(platform, target);
    FileReplacement& out = *file;
    if (std::optional<VideoCopy> failed = notOpened(in, out))
        return std::move(*failed);
    CopyAhead ahead(in, out);
    avi::VideoReading reading = avi::readVideo(in, avi::Chunks::Keep);
    if (in.readError() != OsError::None)
        return failedOn(in.readError(), source);
    VideoCopy copy;
    copy.report = reading.report;
    if (reading.report.state == avi::VideoState::Unreadable)
        return copy; // nothing to write; the temporary file goes with out
    VideoOutput sink(out, {&in}, &ahead);
    avi::WriteOutcome outcome = avi::writeRepair(reading, sink);
    outcome.written = sink.settle() && outcome.written;
    if (!outcome.written && out.writeError() == OsError::None)
        return failedOn(OsError(OsError::ShortWrite).on(OsError::Side::Target), target);
    copy.size = outcome.size;
    // The copy made ahead is over (settled): the file may go to whoever flushes it.
    return commit(std::move(file), source, modified, std::move(copy), when);
}

PlannedAhead::PlannedAhead(Platform& platform, const std::string& source,
                           const avi::VideoReading& reading, const avi::Plan& guess,
                           const std::string& target)
    : source_(platform, source), file_(platform, target) {
    avi::OutputPieceList pieces;
    if (avi::writePlan(guess, {&reading}, pieces).written)
        copy_ = std::make_unique<CopyAhead>(pieces.throughSourceBytes(),
                                            std::vector<VideoFileSource*>{&source_}, file_);
}

VideoCopy writePlanned(Platform& platform, const std::vector<std::string>& sources,
                       const std::vector<const avi::VideoReading*>& readings, const avi::Plan& plan,
                       const std::string& target, PlannedAhead* ahead,
                       const std::function<bool()>& keep) {
    // Opened again for the copy: the sources were read earlier, and may have been read from
    // mapped parts since given back.
    std::vector<std::unique_ptr<VideoFileSource>> files;
    std::vector<VideoFileSource*> pieces;
    for (const std::string& source : sources) {
        files.push_back(std::make_unique<VideoFileSource>(platform, source));
        if (files.back()->openError() != OsError::None)
            return failedOn(files.back()->openError(), source);
        pieces.push_back(files.back().get());
    }
    std::optional<FileReplacement> own;
    if (!ahead)
        own.emplace(platform, target);
    FileReplacement& out = ahead ? ahead->file() : *own;
    if (!out.isOpen())
        return failedOn(out.openError(), target);
    VideoOutput sink(out, pieces, ahead ? ahead->copy() : nullptr);
    VideoCopy copy;
    copy.outcome = avi::writePlan(plan, readings, sink);
    copy.outcome.written = sink.settle() && copy.outcome.written;
    if (out.writeError() != OsError::None) {
        OsError error = out.writeError();
        // A copy that failed on reading names the source it read: the sink knows which.
        std::string blamed = out.target();
        if (error.side() == OsError::Side::Source && sink.failedSource() < sources.size())
            blamed = sources[sink.failedSource()];
        return failedOn(error, blamed);
    }
    if (!copy.outcome.written)
        return failedOn(OsError(OsError::ShortWrite).on(OsError::Side::Target), target);
    copy.size = copy.outcome.size;
    // The flush is the longest wait of a clip: what keep waits for runs meanwhile.
    OsError error = out.flushData();
    if (error == OsError::None && keep && !keep()) {
        out.abandon(OsError::None);
        copy.withdrawn = true;
        return copy;
    }
    if (error == OsError::None)
        error = out.name();
    if (error != OsError::None)
        return failedOn(error, target);
    copy.written = true;
    return copy;
}

VideoCopy copyAsIs(Platform& platform, const std::string& source, const std::string& target,
                   std::int64_t modified, Commit when) {
    return copyWhole(platform, source, target, modified, false, when);
}

} // namespace kovra
