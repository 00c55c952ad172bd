#include "server/card_view.h"

#include <map>

#include "device/card_files.h"
#include "device/file_paths.h"
#include "words/card_json.h"
#include "words/os_error_words.h"
#include "words/shown_names.h"

namespace kovra::server {

namespace {

// Why a record could not be shown, or empty.
std::string recordProblem(const RecordRead& read, std::size_t size, bool exact) {
    if (read.error == OsError::NotFound)
        return "no such file";
    if (read.error == OsError::ShortRead || (exact && read.length != size))
        return std::to_string(read.length) + " bytes; the record holds " + std::to_string(size);
    if (read.error != OsError::None)
        return words::describe(read.error);
    return "";
}

// The record, or null and why.
void putConfig(Platform& platform, const std::string& root, nlohmann::json& card) {
    ConfigRecord::Bytes bytes{};
    std::string path = joinPath(root, kConfigFileName);
    RecordRead read = readRecord(platform, path.c_str(), bytes.data(), bytes.size());
    std::string problem = recordProblem(read, bytes.size(), false);
    card["config"] = nullptr;
    card["configProblem"] = problem.empty() ? nlohmann::json() : nlohmann::json(problem);
    if (!problem.empty())
        return;
    RecorderSettings settings;
    ConfigRecord::decode(bytes, settings);
    card["config"] = words::settingsJson(settings);
}

void putClock(Platform& platform, const std::string& root, nlohmann::json& card) {
    ClockRecord::Bytes bytes{};
    std::string path = joinPath(root, kClockFileName);
    RecordRead read = readRecord(platform, path.c_str(), bytes.data(), bytes.size());
    std::string problem = recordProblem(read, bytes.size(), true);
    ClockFields fields;
    std::size_t bad = 0;
    if (problem.empty() && !ClockRecord::decode(bytes, fields, bad))
        problem = "byte " + std::to_string(bad) + " is not two decimal digits";
    card["clock"] = problem.empty() ? words::clockJson(fields) : nlohmann::json();
    card["clockProblem"] = problem.empty() ? nlohmann::json() : nlohmann::json(problem);
}

} // namespace

CardView readCardView(Platform& platform, const std::string& root, std::int64_t offsetMillis) {
    CardView view;
    view.root = root;
    // The server has no terminal to say them on: what could not be read is in the listing.
    listFolder(platform, root, offsetMillis, view.videos, [](const std::string&) {});
    std::map<std::string, int> states;
    for (const ListedVideo& v : view.videos)
        ++states[v.failure.empty() ? avi::stateName(v.video.report.state)
                                   : avi::stateName(avi::VideoState::Unreadable)];
    nlohmann::json& card = view.card;
    card["root"] = words::utf8Name(root);
    card["videos"] = view.videos.size();
    card["states"] = states;
    putConfig(platform, root, card);
    putClock(platform, root, card);
    return view;
}

nlohmann::json videosDocument(const CardView& view) {
    nlohmann::json videos = nlohmann::json::array();
    for (std::size_t id = 0; id < view.videos.size(); ++id) {
        nlohmann::json entry = listedJson(view.videos[id]);
        entry["id"] = id;
        videos.push_back(entry);
    }
    return {{"videos", videos}};
}

RouterContent routerContent(const CardView& view) {
    RouterContent content;
    content.videosJson = videosDocument(view).dump() + "\n";
    content.cardJson = view.card.dump() + "\n";
    for (const ListedVideo& video : view.videos)
        content.videoPaths.push_back(video.path);
    return content;
}

} // namespace kovra::server
