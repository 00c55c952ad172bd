#include "words/clip_json.h"

#include "clips/clock_time.h"
#include "words/shown_names.h"

namespace kovra::words {

namespace {

nlohmann::json clockJson(const std::optional<clips::ClockMillis>& time, std::int64_t offset) {
    return time ? nlohmann::json(clips::isoText(*time + offset)) : nlohmann::json();
}

} // namespace

nlohmann::json clipJson(const std::string& out, const clips::ClipOutcome& outcome,
                        std::int64_t offsetMillis) {
    nlohmann::json document;
    putName(document, "path", out);
    document["frames"] = outcome.frames;
    document["durationSeconds"] = outcome.seconds;
    document["start"] = clockJson(outcome.start, offsetMillis);
    document["end"] = clockJson(outcome.end, offsetMillis);
    nlohmann::json sources = nlohmann::json::array();
    for (const clips::ClipSource& part : outcome.sources) {
        nlohmann::json source;
        putName(source, "path", part.path);
        source["firstFrame"] = part.firstFrame;
        source["lastFrame"] = part.lastFrame;
        source["frames"] = part.frames;
        source["samples"] = part.samples;
        sources.push_back(source);
    }
    document["sources"] = sources;
    nlohmann::json gapList = nlohmann::json::array();
    for (const clips::ClipGap& gap : outcome.gaps) {
        nlohmann::json entry;
        putName(entry, "after", gap.after);
        putName(entry, "before", gap.before);
        entry["seconds"] = static_cast<double>(gap.millis) / 1000;
        gapList.push_back(entry);
    }
    document["gaps"] = gapList;
    document["framesBeforeStart"] = outcome.framesBeforeStart;
    return document;
}

} // namespace kovra::words
