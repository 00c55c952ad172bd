#include "gallery/page_content.h"

#include "clips/timed_video.h"
#include "device/card_files.h"
#include "device/file_paths.h"
#include "gallery/link_path.h"
#include "records/settings_words.h"
#include "words/finding_words.h"
#include "words/os_error_words.h"
#include "words/quantities.h"
#include "words/reasons.h"
#include "words/shown_names.h"

namespace kovra::gallery {

using words::describe;
using words::durationText;
using words::frameRateText;
using words::noPictureText;
using words::sizeText;

namespace {

std::string clockWords(Platform& platform, const std::string& folder) {
    ClockRead read = readClockRecord(platform, joinPath(folder, kClockFileName));
    switch (read.state) {
    case RecordState::Missing:
        return "No TIME.txt: the recorder's clock was not set from this card.";
    case RecordState::WrongSize:
        return "TIME.txt holds " + std::to_string(read.length) + " bytes, not a clock record.";
    case RecordState::Unreadable:
        return "TIME.txt cannot be read: " + describe(read.error);
    case RecordState::NotDigits:
        return "TIME.txt holds no date: byte " + std::to_string(read.badByte) +
               " is not two decimal digits.";
    case RecordState::Read:
        break;
    }
    return "TIME.txt sets the recorder's clock to " + clockText(read.fields) + ".";
}

std::optional<PagePicture> pictureLink(const std::optional<PictureFile>& picture) {
    if (!picture)
        return std::nullopt;
    return PagePicture{std::string(kPictureFolder) + "/" + percentEncoded(picture->name),
                       picture->width, picture->height};
}

} // namespace

PageCard pageCard(Platform& platform, const std::string& title, const std::string& recordsFolder,
                  const std::vector<GalleryVideo>& videos) {
    PageCard card;
    card.title = words::utf8Name(title);
    double seconds = 0;
    std::uint64_t bytes = 0;
    std::size_t repairable = 0, unreadable = 0;
    for (const GalleryVideo& v : videos) {
        seconds += v.durationSeconds;
        bytes += v.size;
        repairable += v.state == avi::VideoState::Repairable;
        unreadable += v.state == avi::VideoState::Unreadable;
    }
    card.glance = {{"Videos", std::to_string(videos.size())},
                   {"Total length", durationText(seconds)},
                   {"Total size", sizeText(bytes)},
                   {"Repairable", std::to_string(repairable)},
                   {"Unreadable", std::to_string(unreadable)}};
    RecorderSettings settings;
    if (!recordsFolder.empty() &&
        readConfig(platform, joinPath(recordsFolder, kConfigFileName).c_str(), settings))
        for (const SettingLine& line : describeSettings(settings))
            card.settings.push_back({line.label, line.value});
    card.settingsAbsent = "No CONFIG.SYS of 11 bytes or more here: the recorder's settings are "
                          "not known.";
    card.clock = recordsFolder.empty() ? "No TIME.txt here." : clockWords(platform, recordsFolder);
    return card;
}

PageVideo pageVideo(const GalleryVideo& v, const std::string& name, const std::string& link,
                    std::int64_t offsetMillis) {
    PageVideo page;
    page.name = words::utf8Name(name);
    page.link = link;
    bool readable = v.readError == OsError::None && v.state != avi::VideoState::Unreadable;
    if (v.readError != OsError::None) {
        page.state = avi::stateName(avi::VideoState::Unreadable);
        page.findings = {"cannot be read: " + describe(v.readError)};
    } else {
        page.state = avi::stateName(v.state);
        for (const avi::Finding& finding : v.findings)
            page.findings.push_back(words::problemText(finding));
    }
    page.cover = pictureLink(v.cover);
    page.coverRefused = noPictureText(v.coverRefused);
    for (std::size_t i = 0; i < v.strip.size(); ++i) {
        page.strip.push_back(pictureLink(v.strip[i]));
        page.stripRefused.push_back(noPictureText(
            i < v.stripRefused.size() ? v.stripRefused[i] : pictures::NoPicture::None));
    }
    std::optional<clips::RecordingTime> time =
        v.time ? clips::shifted(*v.time, offsetMillis) : std::nullopt;
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

} // namespace kovra::gallery
