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
// Why a record gives no value, in the listing's words; empty where it gives one.
std::string recordProblem(RecordState state, OsError error, std::uint64_t length,
                          std::size_t size) {
    switch (state) {
    case RecordState::Read:
        return "";
    case RecordState::Missing:
        return "no such file";
    case RecordState::WrongSize:
        return std::to_string(length) + " bytes; the record holds " + std::to_string(size);
    case RecordState::Unreadable:
    case RecordState::NotDigits:
        break;
    }
    return words::describe(error);
}

// The record, or null and why.
void putConfig(Platform& platform, const std::string& root, nlohmann::json& card) {
    ConfigRead read = readConfigRecord(platform, joinPath(root, kConfigFileName));
    std::string problem = recordProblem(read.state, read.error, read.length, ConfigRecord::kSize);
    card["config"] = problem.empty() ? words::settingsJson(read.settings) : nlohmann::json();
    card["configProblem"] = problem.empty() ? nlohmann::json() : nlohmann::json(problem);
}

void putClock(Platform& platform, const std::string& root, nlohmann::json& card) {
    ClockRead read = readClockRecord(platform, joinPath(root, kClockFileName));
    std::string problem =
        read.state == RecordState::NotDigits
            ? "byte " + std::to_string(read.badByte) + " is not two decimal digits"
            : recordProblem(read.state, read.error, read.length, ClockRecord::kSize);
    card["clock"] = problem.empty() ? words::clockJson(read.fields) : nlohmann::json();
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
