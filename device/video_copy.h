// One video written whole into a new file: as a standard, playable AVI (its own bytes with
// "RIFF" when sound, repaired when broken), or, for one that cannot be made playable, its bytes
// as they are, so that the owner keeps it. The file appears only complete, under its own name.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "avi/plan.h"
#include "avi/video_report.h"
#include "avi/writer.h"
#include "device/copy_ahead.h"
#include "device/file_replacement.h"
#include "device/video_files.h"
#include "platform/platform.h"

namespace kovra {

struct VideoCopy {
    // The first error met, with the file it concerns: the source for a failed read, the target
    // for a failed write. None when the copy is in place, or when the video was found
    // unplayable (report says why) and nothing was written.
    OsError error = OsError::None;
    std::string errorPath;
    avi::VideoReport report;   // what the reading found
    bool written = false;      // the target holds the copy
    std::uint64_t size = 0;    // of the copy
    avi::WriteOutcome outcome; // what a written plan holds
    // With Commit::Later: the file written whole with its time, not yet flushed nor named
    // (written stays false until it is).
    std::unique_ptr<FileReplacement> unnamed;
    // The file was written and flushed, but the check before its naming withdrew it: it is
    // removed, and the target keeps what it had.
    bool withdrawn = false;
};

// Whether a copy is flushed and named before it is returned, or left to the caller.
enum class Commit { Now, Later };

// Reads a video for its report; error (the source's) when it could not be read.
VideoCopy inspectVideo(Platform& platform, const std::string& path);

// A report from an earlier reading of a sound video spares it a second reading.
VideoCopy writePlayable(Platform& platform, const std::string& source, const std::string& target,
                        std::int64_t modified, const avi::VideoReport* soundReport = nullptr,
                        Commit commit = Commit::Now);

// A new video begun before its plan is final: guess, a plan of source alone (read as
// reading), copied into the target's new file on a thread while the other sources are read.
// The plan written at last keeps what it has of the guess.
class PlannedAhead {
  public:
    PlannedAhead(Platform& platform, const std::string& source, const avi::VideoReading& reading,
                 const avi::Plan& guess, const std::string& target);
    PlannedAhead(const PlannedAhead&) = delete;
    PlannedAhead& operator=(const PlannedAhead&) = delete;

    FileReplacement& file() { return file_; }
    CopyAhead* copy() { return copy_.get(); }

  private:
    VideoFileSource source_;
    FileReplacement file_;
    std::unique_ptr<CopyAhead> copy_; // stopped before the file goes
};

// A plan over several sources, each already read with its chunks (readings[i] of sources[i],
// a path each), written as one new video: into ahead's file where given (its target is the
// target). The target gets the time of its writing. keep, where given, is asked once the file
// is written and flushed, before it is named: false withdraws it (a plan made before all its
// sources were known, which they have since changed).
VideoCopy writePlanned(Platform& platform, const std::vector<std::string>& sources,
                       const std::vector<const avi::VideoReading*>& readings, const avi::Plan& plan,
                       const std::string& target, PlannedAhead* ahead = nullptr,
                       const std::function<bool()>& keep = {});

// The source's bytes as they are.
VideoCopy copyAsIs(Platform& platform, const std::string& source, const std::string& target,
                   std::int64_t modified, Commit commit = Commit::Now);

} // namespace kovra
