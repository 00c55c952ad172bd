#include "gallery/gallery_record.h"

#include <stdexcept>
#include <utility>

#include <nlohmann/json.hpp>

#include "device/file_paths.h"
#include "device/whole_file.h"
#include "words/finding_words.h"

namespace kovra::gallery {

namespace {

// 3: the state and findings kept as values (each finding by the kind JSON names it), not in
// words. 2: the reason a frame gave no picture is kept; a record without it is read again.
constexpr int kRecordVersion = 3;
// Its videos kept their findings in words: read for the pictures it names, which are ours to
// replace or remove, and each video read again.
constexpr int kWordsVersion = 2;
// A card holds some thousands of videos; a record far larger is not one of ours.
constexpr std::uint64_t kLargestRecord = 64u << 20;

using nlohmann::json;

// A path is any bytes, which JSON does not carry: it is kept as hexadecimal.
std::string hexOf(const std::string& bytes) {
    static const char* digits = "0123456789abcdef";
    std::string out;
    for (unsigned char c : bytes) {
        out += digits[c >> 4];
        out += digits[c & 0xF];
    }
    return out;
}

bool fromHex(const std::string& hex, std::string& bytes) {
    if (hex.size() % 2 != 0)
        return false;
    bytes.clear();
    for (std::size_t i = 0; i < hex.size(); i += 2) {
        int value = 0;
        for (std::size_t j = i; j < i + 2; ++j) {
            char c = hex[j];
            int digit = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
            if (digit < 0)
                return false;
            value = value * 16 + digit;
        }
        bytes += static_cast<char>(value);
    }
    return true;
}

using pictures::NoPicture;

// The record's names of the reasons: stable words of the file, not the words the page shows.
constexpr std::pair<NoPicture, const char*> kRefusalNames[] = {
    {NoPicture::None, "none"},
    {NoPicture::NoFrame, "noFrame"},
    {NoPicture::FrameUnreadable, "frameUnreadable"},
    {NoPicture::FrameMoved, "frameMoved"},
    {NoPicture::FrameTooLarge, "frameTooLarge"},
    {NoPicture::NotJpeg, "notJpeg"},
    {NoPicture::CutShort, "cutShort"},
    {NoPicture::DamagedMarkers, "damagedMarkers"},
    {NoPicture::OtherCoding, "otherCoding"},
    {NoPicture::ComponentCount, "componentCount"},
    {NoPicture::Cmyk, "cmyk"},
    {NoPicture::NotEightBit, "notEightBit"},
    {NoPicture::ZeroSize, "zeroSize"},
    {NoPicture::TooLarge, "tooLarge"},
    {NoPicture::NoQuantTable, "noQuantTable"},
    {NoPicture::NotDecoded, "notDecoded"},
};

std::string refusalName(NoPicture why) {
    for (const auto& named : kRefusalNames)
        if (named.first == why)
            return named.second;
    throw std::logic_error("a reason without a name in the record");
}

// A name the record does not know makes the whole record unread.
NoPicture refusalOf(const json& value) {
    std::string name = value.get<std::string>();
    for (const auto& named : kRefusalNames)
        if (name == named.second)
            return named.first;
    throw std::runtime_error("refused");
}

// A strip frame: its picture, or the name of why it has none.
json pictureJson(const std::optional<PictureFile>& picture, NoPicture refused) {
    if (!picture)
        return refusalName(refused);
    json j(json::value_t::object);
    j["name"] = picture->name;
    j["width"] = picture->width;
    j["height"] = picture->height;
    j["bytes"] = picture->bytes;
    return j;
}

std::optional<PictureFile> pictureOf(const json& value) {
    if (value.is_string())
        return std::nullopt;
    return PictureFile{value.at("name").get<std::string>(), value.at("width").get<unsigned>(),
                       value.at("height").get<unsigned>(), value.at("bytes").get<std::uint64_t>()};
}

avi::VideoState stateOf(const json& value) {
    std::string name = value.get<std::string>();
    for (avi::VideoState state :
         {avi::VideoState::Ok, avi::VideoState::Repairable, avi::VideoState::Unreadable})
        if (name == avi::stateName(state))
            return state;
    throw std::runtime_error("state");
}

json findingJson(const avi::Finding& f) {
    json j(json::value_t::object);
    j["kind"] = words::findingKindName(f.kind);
    j["stream"] = f.stream;
    j["stated"] = f.stated;
    j["found"] = f.found;
    j["fixed"] = f.fixed;
    return j;
}

avi::Finding findingOf(const json& j) {
    std::optional<avi::FindingKind> kind = words::findingKindNamed(j.at("kind").get<std::string>());
    if (!kind)
        throw std::runtime_error("kind");
    avi::Finding f{*kind};
    f.stream = j.at("stream").get<std::uint32_t>();
    f.stated = j.at("stated").get<std::uint64_t>();
    f.found = j.at("found").get<std::uint64_t>();
    f.fixed = j.at("fixed").get<std::uint64_t>();
    return f;
}

// Each member set in place: a brace list of pairs makes every pair a list first and copies it,
// which cost the most of a record's text.
json videoJson(const GalleryVideo& v) {
    json j(json::value_t::object);
    j["path"] = hexOf(v.path);
    j["size"] = v.size;
    j["modified"] = v.modified;
    j["state"] = avi::stateName(v.state);
    json& findings = j["findings"] = json::array();
    for (const avi::Finding& finding : v.findings)
        findings.push_back(findingJson(finding));
    j["frames"] = v.frames;
    j["width"] = v.width;
    j["height"] = v.height;
    j["fps"] = v.fps;
    j["duration"] = v.durationSeconds;
    json& time = j["time"] = nullptr;
    if (v.time) {
        time = json(json::value_t::object);
        time["start"] = v.time->start;
        time["end"] = v.time->end;
        time["idit"] = v.time->source == clips::TimeSource::Idit;
    }
    j["cover"] = pictureJson(v.cover, v.coverRefused);
    json& strip = j["strip"] = json::array();
    for (std::size_t i = 0; i < v.strip.size(); ++i)
        strip.push_back(pictureJson(v.strip[i], i < v.stripRefused.size() ? v.stripRefused[i]
                                                                          : NoPicture::None));
    return j;
}

GalleryVideo videoOf(const json& j, int version) {
    GalleryVideo v;
    if (!fromHex(j.at("path").get<std::string>(), v.path))
        throw std::runtime_error("path");
    v.size = j.at("size").get<std::uint64_t>();
    v.modified = j.at("modified").get<std::int64_t>();
    v.state = stateOf(j.at("state"));
    if (version == kWordsVersion) {
        // Words are no values to show again: the video is read again for them. They are
        // still checked, as any part of a record is, so that damage reads as no record.
        v.readAgain = true;
        j.at("findings").get<std::vector<std::string>>();
    } else {
        for (const json& finding : j.at("findings"))
            v.findings.push_back(findingOf(finding));
    }
    v.frames = j.at("frames").get<std::uint64_t>();
    v.width = j.at("width").get<unsigned>();
    v.height = j.at("height").get<unsigned>();
    v.fps = j.at("fps").get<double>();
    v.durationSeconds = j.at("duration").get<double>();
    const json& time = j.at("time");
    if (!time.is_null())
        v.time = clips::RecordingTime{
            time.at("start").get<clips::ClockMillis>(), time.at("end").get<clips::ClockMillis>(),
            time.at("idit").get<bool>() ? clips::TimeSource::Idit : clips::TimeSource::FileTime};
    v.cover = pictureOf(j.at("cover"));
    v.coverRefused = v.cover ? NoPicture::None : refusalOf(j.at("cover"));
    for (const json& picture : j.at("strip")) {
        v.strip.push_back(pictureOf(picture));
        v.stripRefused.push_back(v.strip.back() ? NoPicture::None : refusalOf(picture));
    }
    return v;
}

} // namespace

const GalleryVideo* GalleryRecord::find(const std::string& path) const {
    auto found = videos_.find(path);
    return found == videos_.end() ? nullptr : &found->second;
}

std::string GalleryRecord::text() const {
    json record(json::value_t::object);
    record["kovraGallery"] = kRecordVersion;
    json& videos = record["videos"] = json::array();
    for (const auto& entry : videos_)
        videos.push_back(videoJson(entry.second));
    // Kept beside the videos rather than in a new version: a build before it reads the record
    // all the same, and draws its page as it always did.
    if (page_)
        record["page"] = {{"inputs", page_->inputs}, {"page", page_->page}};
    return record.dump(1) + "\n";
}

bool GalleryRecord::parse(const std::string& text) {
    videos_.clear();
    page_.reset();
    try {
        json record = json::parse(text);
        int version = record.at("kovraGallery").get<int>();
        if (version != kRecordVersion && version != kWordsVersion)
            return false;
        for (const json& video : record.at("videos")) {
            GalleryVideo v = videoOf(video, version);
            videos_[v.path] = v;
        }
        auto page = record.find("page");
        if (page != record.end())
            page_ =
                PageKey{page->at("inputs").get<std::string>(), page->at("page").get<std::string>()};
        return true;
    } catch (const std::exception&) {
        videos_.clear();
        page_.reset();
        return false;
    }
}

void GalleryRecord::load(Platform& platform, const std::string& pictureFolder) {
    videos_.clear();
    page_.reset();
    loaded_.clear();
    std::string path = joinPath(pictureFolder, kFileName), text;
    FileInfo info;
    if (platform.linkInfo(path.c_str(), info) == OsError::None && info.isFile() &&
        readWholeFile(platform, path, kLargestRecord, text) && parse(text))
        loaded_ = std::move(text);
}

std::set<std::string> GalleryRecord::pictureNames() const {
    std::set<std::string> names;
    for (const auto& entry : videos_) {
        if (entry.second.cover)
            names.insert(entry.second.cover->name);
        for (const auto& picture : entry.second.strip)
            if (picture)
                names.insert(picture->name);
    }
    return names;
}

OsError GalleryRecord::save(Platform& platform, const std::string& pictureFolder) const {
    return writeWholeFile(platform, joinPath(pictureFolder, kFileName), text());
}

bool stillShown(Platform& platform, const std::string& pictureFolder, const GalleryVideo* known,
                const FileInfo& info) {
    if (!known || known->size != info.size || known->modified != info.modified ||
        known->readError != OsError::None || known->readAgain)
        return false;
    auto there = [&](const std::optional<PictureFile>& picture) {
        FileInfo file;
        return !picture || (platform.linkInfo(joinPath(pictureFolder, picture->name).c_str(),
                                              file) == OsError::None &&
                            file.isFile() && file.size == picture->bytes);
    };
    for (const auto& picture : known->strip)
        if (!there(picture))
            return false;
    return there(known->cover);
}

} // namespace kovra::gallery
