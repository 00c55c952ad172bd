#include "cli/gallery_writer.h"

#include <algorithm>
#include <set>

#include "cli/failure.h"
#include "cli/output.h"
#include "clips/timed_video.h"
#include "device/card_files.h"
#include "device/file_paths.h"
#include "device/file_replacement.h"
#include "device/pictures_of_many.h"
#include "gallery/gallery_page.h"
#include "gallery/gallery_record.h"
#include "gallery/link_path.h"
#include "gallery/picture_files.h"
#include "platform/file.h"
#include "records/settings_words.h"
#include "words/finding_words.h"
#include "words/os_error_words.h"
#include "words/quantities.h"
#include "words/reasons.h"
#include "words/shown_names.h"

namespace kovra::cli {

using words::describe;
using words::durationText;
using words::frameRateText;
using words::noPictureText;
using words::problemTexts;
using words::shownName;
using words::sizeText;
using words::utf8Name;

namespace {

using gallery::GalleryVideo;
using gallery::PictureFile;

constexpr const char* kCoverName = "cover";

std::optional<PictureFile> keepPicture(gallery::PictureBatch& batch, const std::string& folder,
                                       const GalleryVideo& video, const std::string& which,
                                       const std::optional<Picture>& picture,
                                       GalleryOutcome& outcome) {
    if (!picture)
        return std::nullopt;
    std::string name =
        gallery::pictureName(video.path, video.size, video.modified, which, picture->extension);
    OsError error = batch.add(name, picture->bytes);
    if (error != OsError::None) {
        warn(shownName(joinPath(folder, name)) + ": cannot be written: " + describe(error));
        return std::nullopt;
    }
    ++outcome.picturesWritten;
    return PictureFile{name, picture->width, picture->height, picture->bytes.size()};
}

// What one reading of the video shows, its pictures added to the batch.
GalleryVideo shownVideo(Platform& platform, gallery::PictureBatch& batch, const std::string& folder,
                        const GalleryInput& input, const FileInfo& info,
                        const VideoPictures& pictures, GalleryOutcome& outcome) {
    GalleryVideo video;
    video.path = input.path;
    video.size = info.size;
    video.modified = info.modified;
    outcome.bytesRead += pictures.bytesRead;
    ++outcome.read;
    if (pictures.error != OsError::None) {
        video.readError = "cannot be read: " + describe(pictures.error);
        return video;
    }
    const avi::VideoReport& report = pictures.report;
    video.state = avi::stateName(report.state);
    video.findings = problemTexts(report);
    video.frames = report.frames;
    video.width = report.width;
    video.height = report.height;
    video.fps = report.fps;
    video.durationSeconds = report.durationSeconds;
    video.time = clips::recordingTime(report, platform.localTimeOf(info.modified));
    video.cover = keepPicture(batch, folder, video, kCoverName, pictures.cover, outcome);
    video.coverRefused = pictures.coverRefused;
    for (std::size_t i = 0; i < pictures.strip.size(); ++i) {
        video.strip.push_back(
            keepPicture(batch, folder, video, std::to_string(i + 1), pictures.strip[i], outcome));
        video.stripRefused.push_back(pictures.stripRefused.at(i));
    }
    return video;
}

std::string clockWords(Platform& platform, const std::string& folder) {
    std::string path = joinPath(folder, kClockFileName);
    ClockRecord::Bytes bytes{};
    RecordRead read = readRecord(platform, path.c_str(), bytes.data(), bytes.size());
    if (read.error == OsError::NotFound)
        return "No TIME.txt: the recorder's clock was not set from this card.";
    if (read.error == OsError::ShortRead ||
        (read.error == OsError::None && read.length != ClockRecord::kSize))
        return "TIME.txt holds " + std::to_string(read.length) + " bytes, not a clock record.";
    if (read.error != OsError::None)
        return "TIME.txt cannot be read: " + describe(read.error);
    ClockFields f;
    std::size_t bad = 0;
    if (!ClockRecord::decode(bytes, f, bad))
        return "TIME.txt holds no date: byte " + std::to_string(bad) +
               " is not two decimal digits.";
    return "TIME.txt sets the recorder's clock to " + clockText(f) + ".";
}

gallery::PageCard cardOf(Platform& platform, const GalleryRequest& request,
                         const std::vector<GalleryVideo>& videos) {
    gallery::PageCard card;
    card.title = utf8Name(request.title);
    double seconds = 0;
    std::uint64_t bytes = 0;
    std::size_t repairable = 0, unreadable = 0;
    for (const GalleryVideo& v : videos) {
        seconds += v.durationSeconds;
        bytes += v.size;
        repairable += v.state == avi::stateName(avi::VideoState::Repairable);
        unreadable += v.state == avi::stateName(avi::VideoState::Unreadable);
    }
    card.glance = {{"Videos", std::to_string(videos.size())},
                   {"Total length", durationText(seconds)},
                   {"Total size", sizeText(bytes)},
                   {"Repairable", std::to_string(repairable)},
                   {"Unreadable", std::to_string(unreadable)}};
    RecorderSettings settings;
    if (!request.recordsFolder.empty() &&
        readConfig(platform, joinPath(request.recordsFolder, kConfigFileName).c_str(), settings))
        for (const SettingLine& line : describeSettings(settings))
            card.settings.push_back({line.label, line.value});
    card.settingsAbsent = "No CONFIG.SYS of 11 bytes or more here: the recorder's settings are "
                          "not known.";
    card.clock = request.recordsFolder.empty() ? "No TIME.txt here."
                                               : clockWords(platform, request.recordsFolder);
    return card;
}

// Both ends of a link resolved, so that the link holds for the page wherever it is opened from.
std::string absolute(Platform& platform, const std::string& path) {
    std::string real;
    return platform.realPath(path.c_str(), real) == OsError::None ? real : path;
}

gallery::PageVideo pageVideo(Platform& platform, const GalleryVideo& v, const GalleryInput& input,
                             const std::string& pageFolder, std::int64_t offset) {
    gallery::PageVideo page;
    page.name = utf8Name(input.name);
    page.link = gallery::linkTo(pageFolder, absolute(platform, input.linked));
    page.state = v.readError.empty() ? v.state : avi::stateName(avi::VideoState::Unreadable);
    page.findings = v.readError.empty() ? v.findings : std::vector<std::string>{v.readError};
    auto pictureLink = [](const std::optional<PictureFile>& picture) {
        return picture ? std::optional<gallery::PagePicture>(
                             gallery::PagePicture{std::string(gallery::kPictureFolder) + "/" +
                                                      gallery::percentEncoded(picture->name),
                                                  picture->width, picture->height})
                       : std::nullopt;
    };
    page.cover = pictureLink(v.cover);
    page.coverRefused = noPictureText(v.coverRefused);
    for (std::size_t i = 0; i < v.strip.size(); ++i) {
        page.strip.push_back(pictureLink(v.strip[i]));
        page.stripRefused.push_back(noPictureText(
            i < v.stripRefused.size() ? v.stripRefused[i] : pictures::NoPicture::None));
    }
    bool readable = page.state != avi::stateName(avi::VideoState::Unreadable);
    std::optional<clips::RecordingTime> time =
        v.time ? clips::shifted(*v.time, offset) : std::nullopt;
    if (time) {
        page.start = time->start;
        page.end = time->end;
        page.startText = clips::shownText(time->start);
        page.endText = clips::shownText(time->end);
        page.facts.push_back({"Start", page.startText});
        page.facts.push_back({"End", page.endText});
        page.facts.push_back({"Time from", clips::timeSourceName(v.time->source)});
    } else if (readable) {
        page.facts.push_back({"Start", "no readable time"});
    }
    if (readable) {
        page.facts.push_back({"Length", durationText(v.durationSeconds)});
        page.facts.push_back({"Frames", std::to_string(v.frames)});
        if (v.width)
            page.facts.push_back(
                {"Resolution", std::to_string(v.width) + "x" + std::to_string(v.height)});
        if (v.fps > 0)
            page.facts.push_back({"Frame rate", frameRateText(v.fps) + " fps"});
    }
    page.facts.push_back({"Size", sizeText(v.size)});
    return page;
}

// A regular file that begins as Kovra's pages do; only its head is read. A link is none,
// wherever it leads.
bool ourPage(Platform& platform, const std::string& path) {
    FileInfo info;
    if (platform.linkInfo(path.c_str(), info) != OsError::None || !info.isFile())
        return false;
    File file(platform, path.c_str(), OpenMode::ReadShared);
    std::string head(
        static_cast<std::size_t>(std::min<std::uint64_t>(info.size, gallery::kPageHeadBytes)),
        '\0');
    return file.isOpen() && file.read(head.data(), head.size()) == OsError::None &&
           gallery::isGalleryPage(head);
}

} // namespace

void checkGalleryDest(Platform& platform, const std::string& dest, bool force) {
    std::string folder = joinPath(dest, gallery::kPictureFolder);
    FileInfo info;
    if (platform.linkInfo(folder.c_str(), info) == OsError::None && info.kind == FileKind::Link)
        throw Failure(kUsage, folder + ": a link; the gallery writes and removes its pictures "
                                       "only in a folder of its own, so nothing was written");
    std::string page = joinPath(dest, gallery::kPageName);
    if (!force && platform.linkInfo(page.c_str(), info) == OsError::None &&
        !ourPage(platform, page))
        throw Failure(kUsage, page + ": not a page Kovra wrote, so it is kept and nothing was "
                                     "written; --force replaces it");
}

GalleryOutcome writeGallery(Platform& platform, const GalleryRequest& request) {
    checkGalleryDest(platform, request.dest, request.force);
    GalleryOutcome outcome;
    std::string folder = joinPath(request.dest, gallery::kPictureFolder);
    for (const std::string& made : {request.dest, folder}) {
        OsError error = platform.makeFolder(made.c_str());
        if (error != OsError::None)
            throw fileFailure(made, "cannot be written: " + describe(error));
    }
    std::string pageFolder = absolute(platform, request.dest);

    gallery::GalleryRecord earlier, record;
    earlier.load(platform, folder);
    // A video unchanged since the last gallery keeps its pictures; the others are read.
    std::size_t count = request.videos.size();
    std::vector<GalleryVideo> videos(count);
    std::vector<FileInfo> infos(count);
    std::vector<std::size_t> unread;
    std::vector<std::string> unreadPaths;
    for (std::size_t i = 0; i < count; ++i) {
        const std::string& path = request.videos[i].path;
        OsError error = platform.info(path.c_str(), infos[i]);
        const GalleryVideo* known = earlier.find(path);
        if (error != OsError::None) {
            videos[i].path = path;
            videos[i].readError = "cannot be read: " + describe(error);
        } else if (gallery::stillShown(platform, folder, known, infos[i])) {
            videos[i] = *known;
            ++outcome.reused;
        } else {
            unread.push_back(i);
            unreadPaths.push_back(path);
        }
    }
    // Those read ahead stand for their file where it is still as it was then; the rest are read
    // now. Either way each is shown in the order given, as one reading of each would be.
    std::vector<std::optional<VideoPictures>> readAhead(unread.size());
    std::vector<std::size_t> rest;
    std::vector<std::string> restPaths;
    for (std::size_t k = 0; k < unread.size(); ++k) {
        std::size_t i = unread[k];
        if (request.ahead)
            readAhead[k] = request.ahead->take(request.videos[i].path, infos[i]);
        if (!readAhead[k]) {
            rest.push_back(k);
            restPaths.push_back(request.videos[i].path);
        }
    }
    gallery::PictureBatch batch(platform, folder);
    std::size_t shown = 0; // of unread
    auto show = [&](std::size_t k, VideoPictures& pictures) {
        std::size_t i = unread[k];
        videos[i] =
            shownVideo(platform, batch, folder, request.videos[i], infos[i], pictures, outcome);
    };
    auto showReadAhead = [&](std::size_t end) {
        for (; shown < end; ++shown)
            if (readAhead[shown]) {
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
    std::string failedName;
    OsError committed = batch.commit(failedName);
    if (committed != OsError::None)
        throw fileFailure(failedName, "cannot be written: " + describe(committed));

    std::set<std::string> keep;
    for (std::size_t i = 0; i < count; ++i) {
        const GalleryVideo& video = videos[i];
        if (!video.readError.empty()) {
            warn(shownName(request.videos[i].path) + ": " + video.readError);
            ++outcome.failedReads;
        } else {
            record.note(video);
        }
        outcome.unreadable +=
            !video.readError.empty() || video.state == avi::stateName(avi::VideoState::Unreadable);
        for (const auto& picture : video.strip)
            if (picture)
                keep.insert(picture->name);
        if (video.cover)
            keep.insert(video.cover->name);
    }
    outcome.videos = videos.size();

    std::vector<gallery::PageVideo> pages;
    for (std::size_t i = 0; i < videos.size(); ++i)
        pages.push_back(pageVideo(platform, videos[i], request.videos[i], pageFolder,
                                  request.clockOffsetMillis));
    std::string html = gallery::renderPage(cardOf(platform, request, videos), std::move(pages));
    outcome.page = joinPath(request.dest, gallery::kPageName);
    FileReplacement page(platform, outcome.page);
    if (page.isOpen())
        page.write(html.data(), html.size());
    OsError written = page.isOpen() ? page.commit() : page.openError();
    if (written != OsError::None)
        throw fileFailure(outcome.page, "cannot be written: " + describe(written));

    // Nothing new: only the page is written again.
    OsError saved = record.text() == earlier.text() ? OsError::None : record.save(platform, folder);
    if (saved != OsError::None)
        warn(shownName(joinPath(folder, gallery::GalleryRecord::kFileName)) +
             ": cannot be written (the next gallery reads every video again): " + describe(saved));
    outcome.picturesRemoved =
        gallery::removePicturesBut(platform, folder, earlier.pictureNames(), keep);
    return outcome;
}

} // namespace kovra::cli
