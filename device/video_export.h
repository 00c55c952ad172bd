// Every video below a folder (the card's, by default) copied into another folder as standard,
// playable AVI files under the same paths, with their times. What an earlier export wrote is
// known from the destination's record and not written again; a video that cannot be made
// playable is kept as it is and counted as failed; nothing below the source is ever written,
// and one export at a time writes into a destination.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "avi/video_report.h"
#include "device/dest_lock.h"
#include "device/export_record.h"
#include "device/flush_behind.h"
#include "device/video_finder.h"
#include "platform/platform.h"

namespace kovra {

enum class ExportAction {
    Export, // copied with "RIFF" (sound)
    Repair, // repaired
    Skip,   // an earlier export's target is there
    Fail,   // not made playable, or not written
};

struct ExportItem {
    std::string relative; // below source and dest, '/'-separated
    std::string source, target;
    FileInfo sourceInfo;
    ExportAction action = ExportAction::Export;
    std::uint64_t size = 0;  // what the export writes, or wrote
    avi::VideoReport report; // when the video was read
    // For Fail: the error with the file it concerns, or None for a video that cannot be
    // made playable (report says why; keptAsIs when its bytes were copied as they are).
    OsError error = OsError::None;
    std::string errorPath;
    bool keptAsIs = false;
    // Planned without a reading (nothing in dest to compare with): run() reads it once, and
    // tells Export from Repair then.
    bool readLater = false;
};

// The file an export's gallery shows for an item: an exported one where it now is (repaired and
// indexed, cheap to read); a failed one from where its bytes are.
const std::string& galleryFileOf(const ExportItem& item);

enum class ExportRefusal {
    None,
    SourceMissing,    // the source cannot be looked at (error says why)
    SourceNotAFolder, // the source is a file, or another thing that is not a folder
    DestNotAFolder,   // dest is there and is not a folder
    DestIsSource,     // dest and the source are one folder
    DestInsideSource, // writing there would write below the source
    DestHoldsSource,  // the source lies below dest: its videos would be exported over themselves
    DestUnusable,     // dest could not be made (error says why)
    LockUnusable,     // its lock could not be opened (error says why; IsFolder: a folder)
    DestInUse,        // another export or a gallery is writing into dest
};

class VideoExport {
  public:
    VideoExport(Platform& platform, std::string source, std::string dest, bool dryRun);
    ~VideoExport();
    VideoExport(const VideoExport&) = delete;
    VideoExport& operator=(const VideoExport&) = delete;

    // Checks where the export reads and writes, makes dest, takes its lock and reads its
    // record. A refusal writes nothing.
    ExportRefusal prepare(OsError& error);
    // The lock in dest that keeps two exports from writing into it at once.
    std::string lockPath() const;
    // Finds the videos and decides for each what it needs, reading only those that an earlier
    // export's record does not vouch for.
    void plan();
    std::vector<ExportItem>& items() { return items_; }
    const std::vector<PassedOverEntry>& passedOver() const { return passedOver_; }
    // Writes one planned video; its action becomes Fail when that fails. Once this returns
    // the file is on the storage under its name, and in the record saved in dest.
    void run(ExportItem& item);
    // run() with the flush of the copy left to a thread while the caller goes on to the next
    // videos: returns the items finished now, in the order they were given, each on the
    // storage under its name and in the record (those before item whose flushes ran while
    // later ones were copied; item itself when it wrote nothing and none waits before it).
    // settle() finishes those still waiting.
    std::vector<ExportItem*> write(ExportItem& item);
    std::vector<ExportItem*> settle();
    // Told of each copy once it is written whole, before it waits for the storage: where it
    // is meanwhile, and the size and time it has once named (item.target). It may still fail
    // and never be named; the item then says so.
    using Written = std::function<void(const ExportItem& item, const std::string& temporary,
                                       const FileInfo& becomes)>;
    void onWritten(Written written) { written_ = std::move(written); }
    // Saves the record of what is there and removes temporary files interrupted runs left.
    // Every item written is settled first.
    OsError finish();

  private:
    void decide(ExportItem& item);
    bool recordedAsThere(const ExportItem& item);
    void noteThere(const ExportItem& item);
    OsError makeFolders(const std::string& relative);
    // Names the copies the flusher has flushed, oldest first, waiting for the first atLeast
    // of them, and records them together.
    std::vector<ExportItem*> nameFlushed(std::size_t atLeast);

    struct Unnamed {
        ExportItem* item;
        bool asIs; // the bytes of a video that cannot be made playable
        // What the item shows once its copy has its name.
        avi::VideoReport report;
        std::uint64_t size;
    };

    Platform& platform_;
    std::string source_, dest_;
    bool dryRun_;
    DestLock lock_;
    ExportRecord record_;
    std::vector<ExportItem> items_;
    std::vector<PassedOverEntry> passedOver_;
    std::vector<std::string> madeFolders_;
    std::deque<Unnamed> unnamed_;
    std::unique_ptr<FlushBehind> flusher_;
    Written written_;
};

// How two folders lie to each other, by what they are rather than how they are spelled:
// links, "." and ".." and bind mounts resolved. dest need not exist yet.
enum class FolderRelation { Apart, Same, Inside, Holds };
FolderRelation relationOf(Platform& platform, const std::string& dest, const std::string& source);

} // namespace kovra
