#include "device/video_export.h"

#include <algorithm>

#include "device/file_paths.h"
#include "device/file_replacement.h"
#include "device/video_copy.h"
#include "platform/names.h"

namespace kovra {

namespace {

// FAT keeps modification times to 2 seconds.
constexpr std::int64_t kTimeResolution = 2;
constexpr std::size_t kSignatureSize = 4;
constexpr char kRiffSignature[] = "RIFF";
// Copies written and waiting for the storage at most: far enough ahead that the storage writes
// several in one go, near enough that an interrupt or a power cut loses little work. Past it,
// the oldest are named until kFewestUnnamed wait: the record is then saved once for several.
constexpr std::size_t kMostUnnamed = 8;
constexpr std::size_t kFewestUnnamed = 4;

// The folder a path lies in, or empty at a root ("/", "C:\").
std::string parentOf(const std::string& path) {
    std::size_t end = path.size();
    while (end > 1 && isPathSeparator(path[end - 1]))
        --end;
    if (end <= 1)
        return "";
    std::size_t slash = end - 1;
    while (slash > 0 && !isPathSeparator(path[slash]))
        --slash;
    if (!isPathSeparator(path[slash]))
        return "";
    // Keep the separator of a root: "/" and "C:\".
    if (slash == 0 || (slash == 2 && path[1] == ':'))
        return slash + 1 == end ? "" : path.substr(0, slash + 1);
    return path.substr(0, slash);
}

bool sameObject(Platform& platform, const std::string& path, const FileIdentity& identity) {
    FileIdentity other;
    return platform.identity(path.c_str(), other) == OsError::None && other == identity;
}

bool withinSeconds(std::int64_t a, std::int64_t b) {
    return a - b <= kTimeResolution && b - a <= kTimeResolution;
}

bool beginsWithRiff(Platform& platform, const std::string& path) {
    FileId file;
    if (platform.open(path.c_str(), OpenMode::ReadShared, file) != OsError::None)
        return false;
    char head[kSignatureSize];
    bool riff = platform.read(file, head, sizeof head) == OsError::None &&
                std::equal(head, head + kSignatureSize, kRiffSignature);
    platform.close(file);
    return riff;
}

} // namespace

FolderRelation relationOf(Platform& platform, const std::string& dest, const std::string& source) {
    FileIdentity sourceId;
    std::string sourceReal;
    if (platform.identity(source.c_str(), sourceId) != OsError::None ||
        platform.realPath(source.c_str(), sourceReal) != OsError::None)
        return FolderRelation::Apart;
    // dest, or the nearest folder above it that is there, and every folder above that.
    std::string there = dest;
    bool destExists = true;
    std::string real;
    while (platform.realPath(there.c_str(), real) != OsError::None) {
        destExists = false;
        there = parentOf(there);
        if (there.empty())
            return FolderRelation::Apart;
    }
    for (std::string up = real; !up.empty(); up = parentOf(up))
        if (sameObject(platform, up, sourceId))
            return up == real && destExists ? FolderRelation::Same : FolderRelation::Inside;
    FileIdentity destId;
    if (destExists && platform.identity(dest.c_str(), destId) == OsError::None)
        for (std::string up = parentOf(sourceReal); !up.empty(); up = parentOf(up))
            if (sameObject(platform, up, destId))
                return FolderRelation::Holds;
    return FolderRelation::Apart;
}

VideoExport::VideoExport(Platform& platform, std::string source, std::string dest, bool dryRun)
    : platform_(platform), source_(std::move(source)), dest_(std::move(dest)), dryRun_(dryRun),
      lock_(platform) {}

VideoExport::~VideoExport() = default;

ExportRefusal VideoExport::prepare(OsError& error) {
    FileInfo info;
    error = platform_.info(source_.c_str(), info);
    if (error != OsError::None)
        return ExportRefusal::SourceMissing;
    if (!info.isFolder()) {
        // Told apart for the words only: a FIFO or a device is no file either.
        error = info.isFile() ? OsError::None : OsError::NotAFile;
        return ExportRefusal::SourceNotAFolder;
    }
    if (platform_.info(dest_.c_str(), info) == OsError::None && !info.isFolder())
        return ExportRefusal::DestNotAFolder;
    switch (relationOf(platform_, dest_, source_)) {
    case FolderRelation::Same:
        return ExportRefusal::DestIsSource;
    case FolderRelation::Inside:
        return ExportRefusal::DestInsideSource;
    case FolderRelation::Holds:
        return ExportRefusal::DestHoldsSource;
    case FolderRelation::Apart:
        break;
    }
    if (!dryRun_) {
        error = platform_.makeFolder(dest_.c_str());
        if (error != OsError::None)
            return ExportRefusal::DestUnusable;
        error = lock_.take(dest_);
        if (error == OsError::SharingViolation)
            return ExportRefusal::DestInUse;
        if (error != OsError::None)
            return ExportRefusal::LockUnusable;
    }
    record_.load(platform_, dest_);
    return ExportRefusal::None;
}

std::string VideoExport::lockPath() const {
    return joinPath(dest_, DestLock::kFileName);
}

void VideoExport::plan() {
    FoundVideos found = findVideos(platform_, source_);
    passedOver_ = std::move(found.passedOver);
    for (const std::string& relative : found.videos) {
        ExportItem item;
        item.relative = relative;
        item.source = joinPath(source_, relative);
        item.target = joinPath(dest_, relative);
        decide(item);
        items_.push_back(std::move(item));
    }
}

// The record vouches for a target when the source is as it was then and so is the target.
bool VideoExport::recordedAsThere(const ExportItem& item) {
    const ExportedVideo* recorded = record_.find(item.relative);
    FileInfo target;
    return recorded && recorded->sourceSize == item.sourceInfo.size &&
           recorded->sourceModified == item.sourceInfo.modified &&
           platform_.info(item.target.c_str(), target) == OsError::None && target.isFile() &&
           target.size == recorded->targetSize && target.modified == recorded->targetModified;
}

void VideoExport::noteThere(const ExportItem& item) {
    FileInfo target;
    if (platform_.info(item.target.c_str(), target) != OsError::None)
        return record_.forget(item.relative);
    record_.note(item.relative,
                 {item.sourceInfo.size, item.sourceInfo.modified, target.size, target.modified});
}

void VideoExport::decide(ExportItem& item) {
    item.error = platform_.info(item.source.c_str(), item.sourceInfo);
    if (item.error != OsError::None) {
        item.action = ExportAction::Fail;
        item.errorPath = item.source;
        return;
    }
    // The export's file is renamed over what is at the target: a FIFO or a device there would
    // be replaced, and it was never ours to replace.
    FileInfo there;
    if (platform_.linkInfo(item.target.c_str(), there) == OsError::None &&
        there.kind == FileKind::Other) {
        item.action = ExportAction::Fail;
        item.error = OsError(OsError::NotAFile).on(OsError::Side::Target);
        item.errorPath = item.target;
        return;
    }
    if (recordedAsThere(item)) {
        item.action = ExportAction::Skip;
        item.size = record_.find(item.relative)->targetSize;
        return;
    }
    // Without the record: a target of the right size and time that begins with "RIFF" is an
    // earlier export. A sound video exports at its own size, told without reading it; a
    // broken one at the size its repair has, which takes reading it.
    FileInfo target;
    bool targetThere = platform_.info(item.target.c_str(), target) == OsError::None &&
                       target.isFile() && withinSeconds(target.modified, item.sourceInfo.modified);
    auto earlierExport = [&](std::uint64_t size) {
        return targetThere && target.size == size && beginsWithRiff(platform_, item.target);
    };
    if (earlierExport(item.sourceInfo.size)) {
        item.action = ExportAction::Skip;
        item.size = item.sourceInfo.size;
        return noteThere(item);
    }
    // Nothing there to compare with: the one reading is the export's own, which tells a sound
    // video from one to repair. Until then the source's size stands for what it writes.
    if (!dryRun_ && !targetThere) {
        item.action = ExportAction::Export;
        item.size = item.sourceInfo.size;
        item.readLater = true;
        return;
    }
    VideoCopy read = inspectVideo(platform_, item.source);
    item.report = read.report;
    if (read.error != OsError::None) {
        item.action = ExportAction::Fail;
        item.error = read.error;
        item.errorPath = item.source;
        return;
    }
    if (item.report.state == avi::VideoState::Unreadable) {
        item.action = ExportAction::Fail;
        item.size = item.sourceInfo.size;
        item.keptAsIs = targetThere && target.size == item.sourceInfo.size;
        return;
    }
    item.size = item.report.repairedSize;
    item.action =
        item.report.state == avi::VideoState::Ok ? ExportAction::Export : ExportAction::Repair;
    if (earlierExport(item.size)) {
        item.action = ExportAction::Skip;
        noteThere(item);
    }
}

OsError VideoExport::makeFolders(const std::string& relative) {
    for (std::size_t slash = relative.find('/'); slash != std::string::npos;
         slash = relative.find('/', slash + 1)) {
        std::string folder = relative.substr(0, slash);
        if (std::find(madeFolders_.begin(), madeFolders_.end(), folder) != madeFolders_.end())
            continue;
        OsError error = platform_.makeFolder(joinPath(dest_, folder).c_str());
        if (error != OsError::None)
            return error.on(OsError::Side::Target);
        madeFolders_.push_back(folder);
    }
    return OsError::None;
}

const std::string& galleryFileOf(const ExportItem& item) {
    bool exported = item.action != ExportAction::Fail || item.keptAsIs;
    return exported ? item.target : item.source;
}

void VideoExport::run(ExportItem& item) {
    write(item);
    settle();
}

std::vector<ExportItem*> VideoExport::write(ExportItem& item) {
    std::vector<ExportItem*> finished;
    // Said in the order given: a video that writes nothing waits for those before it.
    auto alone = [&] {
        finished = settle();
        finished.push_back(&item);
        return finished;
    };
    bool unplayable = item.action == ExportAction::Fail && item.error == OsError::None;
    if (dryRun_ || item.action == ExportAction::Skip ||
        (item.action == ExportAction::Fail && !unplayable) || item.keptAsIs)
        return alone();
    OsError error = makeFolders(item.relative);
    if (error != OsError::None) {
        item.action = ExportAction::Fail;
        item.error = error;
        item.errorPath = joinPath(dest_, item.relative.substr(0, item.relative.rfind('/')));
        return alone();
    }
    const std::int64_t modified = item.sourceInfo.modified;
    bool knownSound = item.action == ExportAction::Export && !item.readLater;
    VideoCopy copy = unplayable
                         ? copyAsIs(platform_, item.source, item.target, modified, Commit::Later)
                         : writePlayable(platform_, item.source, item.target, modified,
                                         knownSound ? &item.report : nullptr, Commit::Later);
    if (!unplayable && copy.error == OsError::None && !copy.unnamed) {
        // Its reading finds it cannot be played: planned without one, or changed since.
        item.action = ExportAction::Fail;
        item.report = copy.report;
        unplayable = true;
        copy = copyAsIs(platform_, item.source, item.target, modified, Commit::Later);
    }
    if (copy.error != OsError::None) {
        item.action = ExportAction::Fail;
        item.error = copy.error;
        item.errorPath = copy.errorPath;
        item.keptAsIs = false;
        return alone();
    }
    // Handed over before those before it are named and said: while the caller says them, no
    // file of this thread's is open, and an interrupt ends the program at once.
    if (written_)
        written_(item, copy.unnamed->temporaryPath(), {FileKind::File, copy.size, modified});
    if (!flusher_)
        flusher_ = std::make_unique<FlushBehind>(platform_);
    flusher_->hand(std::move(copy.unnamed));
    unnamed_.push_back({&item, unplayable, std::move(copy.report), copy.size});
    // The copies go on while the storage catches up, as far as kMostUnnamed; then those
    // flushed are named together.
    if (unnamed_.size() <= kMostUnnamed)
        return finished;
    return nameFlushed(unnamed_.size() - kFewestUnnamed);
}

std::vector<ExportItem*> VideoExport::settle() {
    std::vector<ExportItem*> finished;
    while (!unnamed_.empty())
        for (ExportItem* item : nameFlushed(unnamed_.size()))
            finished.push_back(item);
    return finished;
}

std::vector<ExportItem*> VideoExport::nameFlushed(std::size_t atLeast) {
    std::vector<ExportItem*> finished;
    // The folders whose moves are still to be made durable, and the items each holds.
    std::vector<std::pair<std::string, std::vector<ExportItem*>>> folders;
    bool recorded = false;
    auto failed = [&](ExportItem& item, OsError why) {
        item.action = ExportAction::Fail;
        item.error = why;
        item.errorPath = item.target;
        item.keptAsIs = false;
    };
    while (!unnamed_.empty()) {
        std::unique_ptr<FileReplacement> file =
            finished.size() < atLeast ? flusher_->takeOldest() : flusher_->takeFlushed();
        if (!file)
            break;
        Unnamed oldest = std::move(unnamed_.front());
        unnamed_.pop_front();
        ExportItem& item = *oldest.item;
        finished.push_back(&item);
        // The copy's move is made durable after the record's flush: one wait on the storage
        // where the file system writes both in one go (a journal), and the same order
        // everywhere.
        OsError error = file->name(Naming::FolderFlushedLater);
        if (error != OsError::None) {
            failed(item, error);
            continue;
        }
        std::size_t slash = item.relative.rfind('/');
        std::string folder =
            slash == std::string::npos ? dest_ : joinPath(dest_, item.relative.substr(0, slash));
        auto in = std::find_if(folders.begin(), folders.end(),
                               [&](const auto& each) { return each.first == folder; });
        if (in == folders.end())
            in = folders.insert(folders.end(), {folder, {}});
        in->second.push_back(&item);
        if (oldest.asIs) {
            item.keptAsIs = true;
            continue;
        }
        item.report = std::move(oldest.report);
        if (item.readLater)
            item.action = item.report.state == avi::VideoState::Repairable ? ExportAction::Repair
                                                                           : ExportAction::Export;
        item.readLater = false;
        item.size = oldest.size;
        noteThere(item);
        recorded = true;
    }
    // Saved after the copies, before they are said: an interrupt between copies ends the
    // program at once, and the next export must still know what this one finished. The record
    // names the copies only once their moves are durable; the record's own move is left
    // unflushed: a power cut may bring back the one before, which names less and is as true,
    // and finish() saves it durably. A failure of the record is said by finish().
    std::unique_ptr<FileReplacement> record;
    if (recorded)
        record = record_.flushedBeside(platform_, dest_);
    bool folderFailed = false;
    for (const auto& [folder, named] : folders) {
        OsError error = platform_.flushFolder(folder.c_str());
        if (error == OsError::None)
            continue;
        folderFailed = true;
        for (ExportItem* item : named) {
            record_.forget(item->relative);
            failed(*item, error.on(OsError::Side::Target));
        }
    }
    // Written again without the copies whose moves may not last.
    if (record && folderFailed)
        record = record_.flushedBeside(platform_, dest_);
    if (record)
        record->name(Naming::Unflushed);
    return finished;
}

OsError VideoExport::finish() {
    settle();
    if (dryRun_)
        return OsError::None;
    // Temporary files of runs that were stopped: no other export writes here while the lock
    // is held.
    std::vector<std::string> folders{""};
    for (const ExportItem& item : items_) {
        std::size_t slash = item.relative.rfind('/');
        std::string folder = slash == std::string::npos ? "" : item.relative.substr(0, slash);
        if (std::find(folders.begin(), folders.end(), folder) == folders.end())
            folders.push_back(folder);
    }
    std::string pattern = std::string("*") + FileReplacement::kTemporarySuffix;
    for (const std::string& folder : folders) {
        std::string where = folder.empty() ? dest_ : joinPath(dest_, folder);
        platform_.forEachMatch(joinPath(where, pattern).c_str(), [&](const char* name) {
            platform_.remove(joinPath(where, name).c_str());
        });
    }
    return record_.save(platform_, dest_, Naming::Durable);
}

} // namespace kovra
