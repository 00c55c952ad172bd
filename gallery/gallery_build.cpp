#include "gallery/gallery_build.h"

#include <algorithm>
#include <optional>
#include <set>

#include "device/file_paths.h"
#include "device/job_behind.h"
#include "device/pictures_of_many.h"
#include "device/whole_file.h"
#include "gallery/export_pictures.h"
#include "gallery/gallery_page.h"
#include "gallery/gallery_record.h"
#include "gallery/link_path.h"
#include "gallery/page_content.h"
#include "gallery/page_key.h"
#include "gallery/picture_files.h"
#include "platform/file.h"

namespace kovra::gallery {

namespace {

// A page larger than this is no page of ours: drawn again, and so replaced.
constexpr std::uint64_t kLargestPage = 64u << 20;

// One run's state: where it writes, and what it has met so far.
struct Run {
    Platform& platform;
    std::string folder; // the pictures'
    PictureBatch batch;
    GalleryOutcome& outcome;

    GalleryVideo note(ShownVideo&& shown) {
        outcome.bytesRead += shown.bytesRead;
        ++outcome.read;
        outcome.picturesWritten += shown.picturesWritten;
        for (GalleryProblem& problem : shown.problems)
            outcome.problems.push_back(std::move(problem));
        return std::move(shown.video);
    }

    // What one reading of the video shows, its pictures added to the batch.
    GalleryVideo shown(const GalleryInput& input, const FileInfo& info,
                       const VideoPictures& pictures) {
        return note(showVideo(platform, input.path, info, pictures, batch, folder));
    }
};

// Both ends of a link resolved, so that the link holds for the page wherever it is opened from.
std::string absolute(Platform& platform, const std::string& path) {
    std::string real;
    return platform.realPath(path.c_str(), real) == OsError::None ? real : path;
}

// A regular file that begins as Kovra's pages do; only its head is read. A link is none,
// wherever it leads.
bool ourPage(Platform& platform, const std::string& path) {
    FileInfo info;
    if (platform.linkInfo(path.c_str(), info) != OsError::None || !info.isFile())
        return false;
    File file(platform, path.c_str(), OpenMode::ReadShared);
    std::string head(static_cast<std::size_t>(std::min<std::uint64_t>(info.size, kPageHeadBytes)),
                     '\0');
    return file.isOpen() && file.read(head.data(), head.size()) == OsError::None &&
           isGalleryPage(head);
}

// The videos in the order given: those unchanged since the last gallery from its record, the
// others read now, or taken from the readings ahead where the file is still as it was then.
std::vector<GalleryVideo> videosOf(Run& run, const GalleryRequest& request,
                                   const GalleryRecord& earlier) {
    Platform& platform = run.platform;
    std::size_t count = request.videos.size();
    std::vector<GalleryVideo> videos(count);
    std::vector<FileInfo> infos(count);
    std::vector<std::size_t> unread;
    for (std::size_t i = 0; i < count; ++i) {
        const std::string& path = request.videos[i].path;
        OsError error = platform.info(path.c_str(), infos[i]);
        const GalleryVideo* known = earlier.find(path);
        if (error != OsError::None) {
            videos[i].path = path;
            videos[i].readError = error;
        } else if (known &&
                   ((request.shownAhead && request.shownAhead->foundShown(path, infos[i])) ||
                    stillShown(platform, run.folder, known, infos[i]))) {
            videos[i] = *known;
            ++run.outcome.reused;
        } else {
            unread.push_back(i);
        }
    }
    std::vector<std::optional<VideoPictures>> readAhead(unread.size());
    std::vector<std::optional<ShownVideo>> shownAhead(unread.size());
    std::vector<std::size_t> rest;
    std::vector<std::string> restPaths;
    for (std::size_t k = 0; k < unread.size(); ++k) {
        std::size_t i = unread[k];
        const std::string& path = request.videos[i].path;
        if (request.shownAhead)
            shownAhead[k] = request.shownAhead->take(path, infos[i], run.batch);
        if (!shownAhead[k] && request.ahead)
            readAhead[k] = request.ahead->take(path, infos[i]);
        if (!shownAhead[k] && !readAhead[k]) {
            rest.push_back(k);
            restPaths.push_back(path);
        }
    }
    // Each shown in the order given, as one reading of each would be.
    std::size_t shown = 0; // of unread
    auto show = [&](std::size_t k, VideoPictures& pictures) {
        std::size_t i = unread[k];
        videos[i] = run.shown(request.videos[i], infos[i], pictures);
    };
    auto showReadAhead = [&](std::size_t end) {
        for (; shown < end; ++shown)
            if (shownAhead[shown]) {
                videos[unread[shown]] = run.note(std::move(*shownAhead[shown]));
                shownAhead[shown].reset();
            } else if (readAhead[shown]) {
                show(shown, *readAhead[shown]);
                readAhead[shown].reset();
            }
    };
    readPicturesOfEach(platform, restPaths, PictureSizes(),
                       [&](std::size_t r, VideoPictures& pictures) {
                           showReadAhead(rest[r]);
                           show(rest[r], pictures);
                           shown = rest[r] + 1;
                       });
    showReadAhead(unread.size());
    return videos;
}

} // namespace

GalleryFailure checkGalleryDest(Platform& platform, const std::string& dest, bool force) {
    std::string folder = joinPath(dest, kPictureFolder);
    FileInfo info;
    if (platform.linkInfo(folder.c_str(), info) == OsError::None && info.kind == FileKind::Link)
        return {GalleryFailureKind::LinkedPictureFolder, folder, OsError::None};
    std::string page = joinPath(dest, kPageName);
    if (!force && platform.linkInfo(page.c_str(), info) == OsError::None &&
        !ourPage(platform, page))
        return {GalleryFailureKind::ForeignPage, page, OsError::None};
    return {};
}

GalleryOutcome buildGallery(Platform& platform, const GalleryRequest& request) {
    GalleryOutcome outcome;
    outcome.failure = checkGalleryDest(platform, request.dest, request.force);
    if (!outcome.written())
        return outcome;
    std::string folder = joinPath(request.dest, kPictureFolder);
    for (const std::string& made : {request.dest, folder}) {
        OsError error = platform.makeFolder(made.c_str());
        if (error != OsError::None) {
            outcome.failure = {GalleryFailureKind::Unwritable, made, error};
            return outcome;
        }
    }
    std::string pageFolder = absolute(platform, request.dest);

    // An export's pictures began with the record as it was: it is not read a second time.
    GalleryRecord earlier, record;
    if (request.shownAhead)
        earlier = request.shownAhead->earlier();
    else
        earlier.load(platform, folder);
    Run run{platform, folder, PictureBatch(platform, folder), outcome};
    std::vector<GalleryVideo> videos = videosOf(run, request, earlier);
    // The page is put together while the pictures go to the storage and take their names: it
    // needs only what the videos show, and reads nothing the pictures' flush writes. It is not
    // drawn again where the record says it was drawn from the same texts and index.html still
    // holds what was written then.
    outcome.page = joinPath(request.dest, kPageName);
    std::string html, there;
    PageKey page;
    bool pageThere = false;
    JobBehind pageBuilt([&] {
        std::vector<PageVideo> pages;
        for (std::size_t i = 0; i < videos.size(); ++i) {
            const GalleryInput& input = request.videos[i];
            pages.push_back(pageVideo(videos[i], input.name,
                                      linkTo(pageFolder, absolute(platform, input.linked)),
                                      request.clockOffsetMillis));
        }
        PageCard card = pageCard(platform, request.title, request.recordsFolder, videos);
        page.inputs = pageInputsDigest(card, pages);
        bool read = readWholeFile(platform, outcome.page, kLargestPage, there);
        if (read && earlier.page() && earlier.page()->inputs == page.inputs &&
            earlier.page()->page == pageDigest(there)) {
            page.page = earlier.page()->page;
            pageThere = true;
            return;
        }
        html = renderPage(card, std::move(pages));
        page.page = pageDigest(html);
        pageThere = read && there == html;
    });
    std::string failedName;
    OsError committed = run.batch.commit(failedName);
    if (committed != OsError::None) {
        pageBuilt.wait();
        outcome.failure = {GalleryFailureKind::Unwritable, failedName, committed};
        return outcome;
    }
    std::set<std::string> keep;
    for (const GalleryVideo& video : videos) {
        if (video.readError != OsError::None)
            outcome.problems.push_back(
                {GalleryProblemKind::VideoUnreadable, video.path, video.readError});
        else
            record.note(video);
        outcome.unreadable += video.state == avi::VideoState::Unreadable;
        for (const auto& picture : video.strip)
            if (picture)
                keep.insert(picture->name);
        if (video.cover)
            keep.insert(video.cover->name);
    }
    outcome.videos = videos.size();
    // Whether the record changed is made out while the page is, on the guess that the page
    // is the one the record names: made out again only where it is not.
    std::optional<bool> recordChanged;
    if (earlier.page()) {
        record.notePage(*earlier.page());
        recordChanged = record.text() != earlier.loadedText();
    }
    pageBuilt.wait();

    // A page the same as the one there is not written again: an export that finds nothing new
    // then flushes nothing.
    OsError written = pageThere ? OsError::None : writeWholeFile(platform, outcome.page, html);
    if (written != OsError::None) {
        outcome.failure = {GalleryFailureKind::Unwritable, outcome.page, written};
        return outcome;
    }
    if (!recordChanged || !(page == *earlier.page())) {
        record.notePage(page);
        recordChanged = record.text() != earlier.loadedText();
    }

    OsError saved = *recordChanged ? record.save(platform, folder) : OsError::None;
    if (saved != OsError::None)
        outcome.problems.push_back({GalleryProblemKind::RecordUnwritable,
                                    joinPath(folder, GalleryRecord::kFileName), saved});
    outcome.picturesRemoved = removePicturesBut(platform, folder, earlier.pictureNames(), keep);
    return outcome;
}

GalleryRequest exportGalleryRequest(const std::string& source, const std::string& dest,
                                    const std::vector<ExportItem>& items,
                                    std::int64_t clockOffsetMillis, bool force,
                                    ExportPictures* pictures) {
    GalleryRequest request;
    request.force = force;
    request.dest = dest;
    request.title = source;
    request.recordsFolder = source;
    request.clockOffsetMillis = clockOffsetMillis;
    if (pictures) {
        request.ahead = &pictures->readings();
        request.shownAhead = pictures;
    }
    for (const ExportItem& item : items) {
        const std::string& file = galleryFileOf(item);
        request.videos.push_back({file, item.relative, file});
    }
    return request;
}

} // namespace kovra::gallery
