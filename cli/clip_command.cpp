// kovra-cli clip and join: the moment that matters cut out of the recordings that hold it, or
// whole recordings one after the other, as one standard AVI; nothing re-encoded.
#include <iostream>
#include <memory>

#include "avi/plan.h"
#include "avi/video_reading.h"
#include "cli/context.h"
#include "cli/failure.h"
#include "clips/range_sources.h"
#include "clips/selection.h"
#include "clips/timed_video.h"
#include "device/card_finder.h"
#include "device/video_copy.h"
#include "device/video_export.h"
#include "device/video_files.h"
#include "device/video_finder.h"
#include "words/finding_words.h"
#include "words/os_error_words.h"
#include "words/quantities.h"
#include "words/shown_names.h"

namespace kovra::cli {

using words::describe;
using words::durationText;
using words::problemText;
using words::putName;
using words::shownName;

namespace {

constexpr std::int64_t kDefaultAroundMillis = 30 * clips::kMillisPerSecond;
constexpr std::int64_t kToItsEnd = avi::SourceSpan().toMs;

struct ClipOptions {
    std::string out, start, end, around, before, after, from, clockOffset;
    std::vector<std::string> videos;
    bool force = false;
};

// The videos a command works on, read with their chunks, in the order it takes them.
struct Taken {
    std::vector<std::string> paths;
    std::vector<avi::VideoReading> readings;
    std::vector<std::optional<clips::RecordingTime>> times;
};

std::string secondsText(std::int64_t millis) {
    char text[32];
    std::snprintf(text, sizeof text, "%.3f", static_cast<double>(millis) / 1000);
    std::string shown = text;
    while (shown.back() == '0')
        shown.pop_back();
    if (shown.back() == '.')
        shown.pop_back();
    return shown + " s";
}

// Reads a video whole, its chunks kept for the plan; error when it could not be read.
avi::VideoReading readWithChunks(Platform& platform, const std::string& path, OsError& error) {
    VideoFileSource source(platform, path);
    error = source.openError();
    if (error != OsError::None)
        return avi::VideoReading();
    avi::VideoReading reading = avi::readVideo(source, true);
    error = source.readError();
    return reading;
}

// Takes one reading of a video, with when it was recorded; one that cannot be read, or holds
// no frame, ends the command naming it.
void take(Platform& platform, Taken& taken, const std::string& path, avi::VideoReading reading,
          OsError error) {
    if (error != OsError::None)
        throw fileFailure(path, "cannot be read: " + describe(error));
    if (reading.report.state == avi::VideoState::Unreadable)
        throw fileFailure(path, "cannot be used: " + problemText(reading.report.findings.front()));
    taken.times.push_back(clips::timedVideo(platform, path, reading.report).time);
    taken.readings.push_back(std::move(reading));
}

// Reads each of taken.paths once, in order.
void readAll(Platform& platform, Taken& taken) {
    for (const std::string& path : taken.paths) {
        OsError error;
        avi::VideoReading reading = readWithChunks(platform, path, error);
        take(platform, taken, path, std::move(reading), error);
    }
}

const char* differenceText(avi::FormatDifference difference) {
    switch (difference) {
    case avi::FormatDifference::Codec:
        return "the codec";
    case avi::FormatDifference::FrameSize:
        return "the frame size";
    case avi::FormatDifference::FrameRate:
        return "the frame rate";
    case avi::FormatDifference::Sound:
        return "the sound format";
    case avi::FormatDifference::Streams:
        return "the streams";
    case avi::FormatDifference::None:
        break;
    }
    return "the format";
}

// Plans the spans, writes OUT and says what it holds.
void writeSpans(Context& context, const std::string& out, Taken& taken,
                const std::vector<avi::SourceSpan>& spans, const std::vector<clips::Gap>& gaps,
                std::int64_t offset, PlannedAhead* ahead = nullptr, bool timeOrdered = true) {
    std::vector<const avi::VideoReading*> readings;
    for (const avi::VideoReading& reading : taken.readings)
        readings.push_back(&reading);
    avi::SpanPlan planned = avi::planSpans(readings, spans);
    if (planned.refusal == avi::PlanRefusal::NothingInRange)
        throw Failure(kUsage, "no frame of the videos starts in the range given");
    if (planned.refusal == avi::PlanRefusal::FormatsDiffer) {
        std::size_t second = planned.differingSource;
        std::size_t first = second > 0 ? second - 1 : 0;
        for (std::size_t i = 0; i + 1 < spans.size(); ++i)
            if (spans[i + 1].source == second)
                first = spans[i].source;
        throw fileFailure(taken.paths[second],
                          std::string("not one format with ") + taken.paths[first] + ": " +
                              differenceText(planned.difference) + " changes; nothing was written");
    }
    // The clip's own IDIT, where its first source has one: when its first frame was recorded,
    // on the recorder's clock.
    const avi::SpanTaken& opening = planned.taken.front();
    const std::optional<clips::RecordingTime>& openingTime = taken.times[opening.source];
    double openingFps = taken.readings[opening.source].report.fps;
    if (openingTime && openingFps > 0) {
        clips::CivilTime t = clips::toCivil(
            openingTime->start +
            static_cast<std::int64_t>(static_cast<double>(opening.firstFrame) * 1000 / openingFps));
        planned.plan.recorded =
            avi::RecordingDate{t.year, t.month, t.day, t.hour, t.minute, t.second};
    }
    VideoCopy copy =
        writePlanned(context.platform, taken.paths, readings, planned.plan, out, ahead);
    if (copy.error != OsError::None)
        throw fileFailure(copy.errorPath,
                          (copy.error.side() == OsError::Side::Source ? "cannot be read: "
                                                                      : "cannot be written: ") +
                              describe(copy.error));

    const avi::VideoReport& first = taken.readings[planned.taken.front().source].report;
    double fps = first.fps;
    double seconds = fps > 0 ? static_cast<double>(copy.outcome.frames) / fps : 0;
    auto frameMillis = [&](std::uint64_t frame) {
        return fps > 0 ? static_cast<std::int64_t>(static_cast<double>(frame) * 1000 / fps) : 0;
    };
    const avi::SpanTaken &head = planned.taken.front(), &tail = planned.taken.back();
    const auto &startTime = taken.times[head.source], &endTime = taken.times[tail.source];
    std::optional<clips::ClockMillis> start, end;
    if (startTime && timeOrdered)
        start = startTime->start + offset + frameMillis(head.firstFrame);
    if (endTime && timeOrdered)
        end = endTime->start + offset + frameMillis(tail.lastFrame + 1);

    if (context.json) {
        nlohmann::json document;
        putName(document, "path", out);
        document["frames"] = copy.outcome.frames;
        document["durationSeconds"] = seconds;
        document["start"] = start ? nlohmann::json(clips::isoText(*start)) : nlohmann::json();
        document["end"] = end ? nlohmann::json(clips::isoText(*end)) : nlohmann::json();
        nlohmann::json sources = nlohmann::json::array();
        for (const avi::SpanTaken& part : planned.taken) {
            nlohmann::json source;
            putName(source, "path", taken.paths[part.source]);
            source["firstFrame"] = part.firstFrame;
            source["lastFrame"] = part.lastFrame;
            source["frames"] = part.frames;
            source["samples"] = part.samples;
            sources.push_back(source);
        }
        document["sources"] = sources;
        nlohmann::json gapList = nlohmann::json::array();
        for (const clips::Gap& gap : gaps) {
            nlohmann::json entry;
            putName(entry, "after", taken.paths[gap.before]);
            putName(entry, "before", taken.paths[gap.after]);
            entry["seconds"] = static_cast<double>(gap.millis) / 1000;
            gapList.push_back(entry);
        }
        document["gaps"] = gapList;
        document["framesBeforeStart"] = planned.framesBeforeStart;
        printJson(document);
    } else {
        std::cout << shownName(out) << ": " << copy.outcome.frames << " frames, "
                  << durationText(seconds);
        if (start && end)
            std::cout << ", " << clips::shownText(*start) << " to " << clips::shownText(*end);
        std::cout << '\n';
        for (const avi::SpanTaken& part : planned.taken)
            std::cout << "  " << shownName(taken.paths[part.source]) << ": frames "
                      << part.firstFrame << " to " << part.lastFrame << '\n';
    }
    for (const clips::Gap& gap : gaps)
        warn("a gap of " + secondsText(gap.millis) + " between " +
             shownName(taken.paths[gap.before]) + " and " + shownName(taken.paths[gap.after]) +
             ": the clip runs on across it");
    if (planned.framesBeforeStart > 0)
        warn("the clip starts " + std::to_string(planned.framesBeforeStart) +
             " frames early, at the key frame before the start: the codec needs one to begin");
}

// The folder a clip or join reads the recorder's videos from, where it knows one: --from, or
// the card (given with --card, or found) where no VIDEO names them; else a card found.
std::optional<std::string> sourceFolder(Context& context, const ClipOptions& options) {
    if (!options.from.empty())
        return options.from;
    if (options.videos.empty())
        return context.card().root;
    if (!context.cardOption.empty())
        return context.cardOption;
    std::optional<FoundCard> found = findCard(context.platform);
    return found ? std::optional<std::string>(found->root) : std::nullopt;
}

// OUT may replace a regular file only with --force, and never one of the videos read; it is
// never written on the card, as export's DEST never is: nothing there but what the user's
// recorder wrote, and whole files the user chose to replace.
void checkOut(Context& context, const std::string& out, const std::vector<std::string>& inputs,
              bool force, const std::optional<std::string>& folder) {
    Platform& platform = context.platform;
    for (const std::string& input : inputs)
        if (sameFile(platform, input, out))
            throw Failure(kUsage, out + ": one of the videos read; write to another file");
    if (folder) {
        FolderRelation relation = relationOf(platform, out, *folder);
        if (relation == FolderRelation::Same || relation == FolderRelation::Inside)
            throw Failure(kUsage, out + ": inside " + *folder +
                                      ", the folder the videos are read from; write to a "
                                      "folder outside it");
    }
    requireReplaceable(platform, out, force, true);
}

// The card's videos, or those below --from, or those given; a *.avi below the folder that is
// no file to read (a FIFO, a folder that cannot be listed) is put in unreadable.
std::vector<std::string> candidates(Context& context, const ClipOptions& options,
                                    std::vector<std::string>& unreadable) {
    if (!options.videos.empty())
        return options.videos;
    std::string root = options.from.empty() ? context.card().root : options.from;
    FoundVideos found = findVideos(context.platform, root);
    for (const PassedOverEntry& entry : found.passedOver)
        if (entry.why == PassedOver::NotAFile || entry.why == PassedOver::Unlisted)
            unreadable.push_back(joinPath(root, entry.relative));
    std::vector<std::string> paths;
    for (const std::string& relative : found.videos)
        paths.push_back(joinPath(root, relative));
    return paths;
}

// --from names a folder, and only where no VIDEO is given: else it would be passed over.
void checkFrom(Platform& platform, const ClipOptions& options) {
    if (options.from.empty())
        return;
    if (!options.videos.empty())
        throw Failure(kUsage, "clip: --from and VIDEO name the videos twice; give one of them");
    FileInfo info;
    OsError error = platform.info(options.from.c_str(), info);
    if (error != OsError::None)
        throw Failure(kUsage, options.from + ": no such folder (" + describe(error) + ")");
    if (!info.isFolder())
        throw Failure(kUsage, options.from + ": a file, not a folder (--from names the folder "
                                             "the videos are below)");
}

// A WHEN given as a time on the recorder's clock (or, with --clock-offset, the true time).
std::optional<clips::ClockMillis> clockTime(const std::string& option, const std::string& text,
                                            std::int64_t offset) {
    if (text.empty())
        return std::nullopt;
    std::optional<clips::ClockMillis> time = clips::parseClockTime(text);
    if (!time)
        throw Failure(kUsage, option + ": \"" + text +
                                  "\" is not \"YYYY-MM-DD HH:MM:SS[.fff]\" (or, with one "
                                  "VIDEO, an offset into it: [H:]M:SS[.fff] or seconds)");
    return *time - offset;
}

std::int64_t seconds(const std::string& option, const std::string& text) {
    if (text.empty())
        return kDefaultAroundMillis;
    std::optional<std::int64_t> millis = clips::parseSeconds(text);
    if (!millis)
        throw Failure(kUsage, option + ": \"" + text + "\" is not a number of seconds");
    return *millis;
}

void runClip(Context& context, const ClipOptions& options) {
    bool range = !options.start.empty() || !options.end.empty();
    bool around = !options.around.empty();
    if (range == around || (range && (options.start.empty() || options.end.empty())))
        throw Failure(kUsage, "clip: give --start and --end, or --around");
    if (!around && (!options.before.empty() || !options.after.empty()))
        throw Failure(kUsage, "clip: --before and --after go with --around");
    checkFrom(context.platform, options);
    std::int64_t offset = clockOffsetMillis(options.clockOffset);
    std::int64_t before = seconds("--before", options.before);
    std::int64_t after = seconds("--after", options.after);
    Platform& platform = context.platform;

    // With one video, WHEN may be an offset into it.
    if (options.videos.size() == 1) {
        const std::string& first = around ? options.around : options.start;
        std::optional<std::int64_t> at = clips::parseVideoOffset(first);
        std::optional<std::int64_t> until =
            around ? std::optional<std::int64_t>() : clips::parseVideoOffset(options.end);
        if (at && (around || until)) {
            checkOut(context, options.out, options.videos, options.force,
                     sourceFolder(context, options));
            avi::SourceSpan span;
            span.fromMs = around ? std::max<std::int64_t>(0, *at - before) : *at;
            span.toMs = around ? *at + after : *until;
            if (span.toMs <= span.fromMs)
                throw Failure(kUsage, "clip: the end comes before the start");
            Taken taken;
            taken.paths = options.videos;
            readAll(platform, taken);
            writeSpans(context, options.out, taken, {span}, {}, offset);
            return;
        }
    }
    clips::ClockMillis from, to;
    if (around) {
        clips::ClockMillis at = *clockTime("--around", options.around, offset);
        from = at - before;
        to = at + after;
    } else {
        from = *clockTime("--start", options.start, offset);
        to = *clockTime("--end", options.end, offset);
    }
    if (to <= from)
        throw Failure(kUsage, "clip: the end comes before the start");

    std::vector<std::string> unreadable;
    std::vector<std::string> paths = candidates(context, options, unreadable);
    checkOut(context, options.out, paths, options.force, sourceFolder(context, options));
    // Chosen by the times `videos` shows; the chunks are then read of those chosen only.
    clips::RangeSources sources = clips::chooseRangeSources(platform, paths, from, to);
    if (sources.needsFailed()) {
        const clips::TimedVideo& failed = sources.failed.front();
        throw fileFailure(failed.path, "cannot be read: " + describe(failed.error) +
                                           "; it may hold some of the range: nothing was written");
    }
    if (!unreadable.empty() && !(sources.held && sources.held->whole))
        throw fileFailure(unreadable.front(),
                          "not a file that can be read; it may hold some of the range: nothing "
                          "was written");
    const clips::Selection& selection = sources.selection;
    if (selection.refusal != clips::SelectionRefusal::None)
        throw Failure(kUsage, "no video holds " + clips::shownText(from + offset) + " to " +
                                  clips::shownText(to + offset) +
                                  (offset != 0 ? " (true time)" : " (the recorder's clock)"));
    if (sources.held->reachesPast)
        warn("the range reaches past the recordings: the clip covers " +
             clips::shownText(sources.held->from + offset) + " to " +
             clips::shownText(sources.held->to + offset));
    // The plan numbers its sources from 0, in the order taken. The recording the range starts
    // in, when it runs on past it, gives the clip's beginning before the next is read: that is
    // copied out meanwhile.
    Taken taken;
    std::vector<avi::SourceSpan> spans;
    std::vector<std::size_t> index(sources.timed.size());
    std::optional<PlannedAhead> ahead;
    for (const avi::SourceSpan& span : selection.spans) {
        index[span.source] = taken.paths.size();
        const std::string& path = sources.timed[span.source].path;
        taken.paths.push_back(path);
        OsError error;
        avi::VideoReading reading = readWithChunks(platform, path, error);
        if (spans.empty() && selection.spans.size() > 1 && span.toMs == kToItsEnd &&
            sources.timed[span.source].time->start <= from && error == OsError::None &&
            reading.report.state != avi::VideoState::Unreadable) {
            avi::SourceSpan rest = span;
            rest.source = 0;
            avi::SpanPlan guess = avi::planSpans({&reading}, {rest});
            if (guess.refusal == avi::PlanRefusal::None)
                ahead.emplace(platform, path, reading, guess.plan, options.out);
        }
        take(platform, taken, path, std::move(reading), error);
        taken.times.back() = sources.timed[span.source].time;
        avi::SourceSpan renumbered = span;
        renumbered.source = index[span.source];
        spans.push_back(renumbered);
    }
    std::vector<clips::Gap> gaps;
    for (clips::Gap gap : selection.gaps) {
        gap.before = index[gap.before];
        gap.after = index[gap.after];
        gaps.push_back(gap);
    }
    for (std::size_t overlapping : selection.overlapping)
        warn(shownName(sources.timed[overlapping].path) +
             ": recorded over the same time as the one before; only what it adds is taken");
    writeSpans(context, options.out, taken, spans, gaps, offset, ahead ? &*ahead : nullptr);
}

void runJoin(Context& context, const ClipOptions& options) {
    Platform& platform = context.platform;
    checkOut(context, options.out, options.videos, options.force, sourceFolder(context, options));
    Taken taken;
    taken.paths = options.videos;
    readAll(platform, taken);
    std::vector<avi::SourceSpan> spans;
    std::vector<clips::RecordingTime> times;
    bool allTimed = true;
    for (std::size_t i = 0; i < taken.paths.size(); ++i) {
        avi::SourceSpan span;
        span.source = i;
        spans.push_back(span);
        allTimed = allTimed && taken.times[i].has_value();
        if (taken.times[i])
            times.push_back(*taken.times[i]);
    }
    // Joined as given, but a start and end taken from recordings out of time order would
    // say the join runs backwards, or not at all: said instead.
    bool ordered = true;
    for (std::size_t i = 1; allTimed && i < times.size(); ++i)
        if (times[i].start < times[i - 1].start) {
            ordered = false;
            warn(shownName(taken.paths[i]) + " was recorded before " +
                 shownName(taken.paths[i - 1]) +
                 ", given before it: the join is not in time order, and no start or end is "
                 "said for it");
        }
    writeSpans(context, options.out, taken, spans,
               allTimed && ordered ? clips::gapsBetween(times) : std::vector<clips::Gap>{},
               clockOffsetMillis(options.clockOffset), nullptr, ordered);
}

} // namespace

void addClipCommands(CLI::App& app, Context& context) {
    auto options = std::make_shared<ClipOptions>();
    CLI::App* clip = app.add_subcommand(
        "clip", "Cut a moment out of the recordings that hold it, as one standard AVI: the "
                "frames whose times fall in the range and the sound of the same span, nothing "
                "re-encoded");
    clip->add_option("OUT", options->out, "The clip to write")->required()->check(nonEmptyPath());
    clip->add_option("VIDEO", options->videos,
                     "The recordings to cut from (default: the card's, or those below --from)")
        ->check(nonEmptyPath());
    clip->add_option("--start", options->start,
                     "The range's start: \"YYYY-MM-DD HH:MM:SS[.fff]\" on the recorder's clock, "
                     "or with one VIDEO an offset into it, [H:]M:SS[.fff] or seconds")
        ->type_name("WHEN");
    clip->add_option("--end", options->end, "The range's end, as --start")->type_name("WHEN");
    clip->add_option("--around", options->around, "The moment the range is around, as --start")
        ->type_name("WHEN");
    clip->add_option("--before", options->before, "Seconds before --around (default 30)")
        ->type_name("SECONDS");
    clip->add_option("--after", options->after, "Seconds after --around (default 30)")
        ->type_name("SECONDS");
    clip->add_option("--from", options->from, "Cut from the videos below this folder")
        ->type_name("DIR")
        ->check(nonEmptyPath());
    clip->add_flag("--force", options->force, "Replace OUT when it exists");
    addClockOffsetOption(*clip, options->clockOffset);
    addJsonFlag(*clip, context);
    clip->callback([&context, options] { runClip(context, *options); });

    CLI::App* join = app.add_subcommand(
        "join", "Join whole videos, in the order given, into one standard AVI; nothing "
                "re-encoded");
    join->add_option("OUT", options->out, "The video to write")->required()->check(nonEmptyPath());
    join->add_option("VIDEO", options->videos, "The videos to join, in order")
        ->required()
        ->check(nonEmptyPath());
    join->add_flag("--force", options->force, "Replace OUT when it exists");
    addClockOffsetOption(*join, options->clockOffset);
    addJsonFlag(*join, context);
    join->callback([&context, options] { runJoin(context, *options); });
}

} // namespace kovra::cli
