// kovra-cli clip and join: the moment that matters cut out of the recordings that hold it, or
// whole recordings one after the other, as one standard AVI; nothing re-encoded.
#include <cstdio>
#include <iostream>
#include <memory>

#include "avi/plan.h"
#include "cli/context.h"
#include "cli/failure.h"
#include "cli/output.h"
#include "clips/clip_job.h"
#include "clips/clock_time.h"
#include "device/card_finder.h"
#include "device/video_export.h"
#include "words/clip_json.h"
#include "words/finding_words.h"
#include "words/os_error_words.h"
#include "words/quantities.h"
#include "words/shown_names.h"

namespace kovra::cli {

using words::describe;
using words::durationText;
using words::problemText;
using words::shownName;

namespace {

constexpr std::int64_t kDefaultAroundMillis = 30 * clips::kMillisPerSecond;

struct ClipOptions {
    std::string out, start, end, around, before, after, from, clockOffset;
    std::vector<std::string> videos;
    bool force = false;
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

// Says what a clip holds, or why it was not written: each warning first, as the job met them.
// from, to: the range asked for, on the recorder's clock, where there was one.
void say(Context& context, const std::string& out, const clips::ClipOutcome& outcome,
         std::int64_t offset, clips::ClockMillis from = 0, clips::ClockMillis to = 0) {
    for (const clips::ClipWarning& warning : outcome.warnings)
        switch (warning.kind) {
        case clips::ClipWarningKind::ReachesPast:
            warn("the range reaches past the recordings: the clip covers " +
                 clips::shownText(warning.from + offset) + " to " +
                 clips::shownText(warning.to + offset));
            break;
        case clips::ClipWarningKind::Overlapping:
            warn(shownName(warning.path) +
                 ": recorded over the same time as the one before; only what it adds is taken");
            break;
        case clips::ClipWarningKind::OutOfOrder:
            warn(shownName(warning.path) + " was recorded before " + shownName(warning.otherPath) +
                 ", given before it: the join is not in time order, and no start or end is "
                 "said for it");
            break;
        }
    const clips::ClipFailure& failure = outcome.failure;
    const std::string& path = failure.path;
    const char* nothingWritten = "; it may hold some of the range: nothing was written";
    switch (failure.kind) {
    case clips::ClipFailureKind::None:
        break;
    case clips::ClipFailureKind::Unreadable:
        throw fileFailure(path, "cannot be read: " + describe(failure.error));
    case clips::ClipFailureKind::Unusable:
        throw fileFailure(path, "cannot be used: " + problemText(failure.finding));
    case clips::ClipFailureKind::CandidateUnreadable:
        throw fileFailure(path, "cannot be read: " + describe(failure.error) + nothingWritten);
    case clips::ClipFailureKind::CandidateNotAFile:
        throw fileFailure(path, std::string("not a file that can be read") + nothingWritten);
    case clips::ClipFailureKind::NotCovered:
        throw Failure(kUsage, "no video holds " + clips::shownText(from + offset) + " to " +
                                  clips::shownText(to + offset) +
                                  (offset != 0 ? " (true time)" : " (the recorder's clock)"));
    case clips::ClipFailureKind::NothingInRange:
        throw Failure(kUsage, "no frame of the videos starts in the range given");
    case clips::ClipFailureKind::FormatsDiffer:
        throw fileFailure(path, "not one format with " + failure.otherPath + ": " +
                                    differenceText(failure.difference) +
                                    " changes; nothing was written");
    case clips::ClipFailureKind::Unwritable:
        throw fileFailure(path, "cannot be written: " + describe(failure.error));
    }

    std::optional<clips::ClockMillis> start, end;
    if (outcome.start)
        start = *outcome.start + offset;
    if (outcome.end)
        end = *outcome.end + offset;
    if (context.json) {
        printJson(words::clipJson(out, outcome, offset));
    } else {
        std::cout << shownName(out) << ": " << outcome.frames << " frames, "
                  << durationText(outcome.seconds);
        if (start && end)
            std::cout << ", " << clips::shownText(*start) << " to " << clips::shownText(*end);
        std::cout << '\n';
        for (const clips::ClipSource& part : outcome.sources)
            std::cout << "  " << shownName(part.path) << ": frames " << part.firstFrame << " to "
                      << part.lastFrame << '\n';
    }
    for (const clips::ClipGap& gap : outcome.gaps)
        warn("a gap of " + secondsText(gap.millis) + " between " + shownName(gap.after) + " and " +
             shownName(gap.before) + ": the clip runs on across it");
    if (outcome.framesBeforeStart > 0)
        warn("the clip starts " + std::to_string(outcome.framesBeforeStart) +
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

// The card's videos, or those below --from, or those given.
clips::RangeCandidates candidates(Context& context, const ClipOptions& options) {
    if (!options.videos.empty())
        return {options.videos, {}};
    return clips::findRangeCandidates(context.platform,
                                      options.from.empty() ? context.card().root : options.from);
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
            OutputPlatform writing(platform, options.out, options.force);
            say(context, options.out,
                clips::clipPart(writing.get(), options.videos.front(), span, options.out), offset);
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

    clips::RangeCandidates found = candidates(context, options);
    checkOut(context, options.out, found.paths, options.force, sourceFolder(context, options));
    OutputPlatform writing(platform, options.out, options.force);
    say(context, options.out, clips::clipRange(writing.get(), found, from, to, options.out), offset,
        from, to);
}

void runJoin(Context& context, const ClipOptions& options) {
    checkOut(context, options.out, options.videos, options.force, sourceFolder(context, options));
    OutputPlatform writing(context.platform, options.out, options.force);
    say(context, options.out, clips::joinVideos(writing.get(), options.videos, options.out),
        clockOffsetMillis(options.clockOffset));
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
