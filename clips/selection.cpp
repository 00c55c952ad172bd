#include "clips/selection.h"

#include <algorithm>
#include <limits>
#include <numeric>

namespace kovra::clips {

Selection selectRange(const std::vector<RecordingTime>& times, ClockMillis from, ClockMillis to) {
    Selection selection;
    if (to <= from) {
        selection.refusal = SelectionRefusal::EndBeforeStart;
        return selection;
    }
    std::vector<std::size_t> order(times.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return times[a].start < times[b].start; });
    ClockMillis covered = from; // the range is taken up to here
    std::size_t previous = 0;
    bool any = false;
    for (std::size_t i : order) {
        const RecordingTime& t = times[i];
        if (t.start >= to || t.end <= covered)
            continue;
        ClockMillis begin = std::max(t.start, from);
        std::int64_t apart = any ? t.start - times[previous].end : 0;
        if (-apart > kTimeSlackMillis)
            begin = std::max(begin, covered);
        if (begin >= to)
            continue; // what it holds of the range, a recording before it held already
        if (apart > kTimeSlackMillis)
            selection.gaps.push_back({previous, i, apart});
        if (-apart > kTimeSlackMillis)
            selection.overlapping.push_back(i);
        avi::SourceSpan span;
        span.source = i;
        span.fromMs = begin - t.start;
        if (to < t.end)
            span.toMs = to - t.start;
        selection.spans.push_back(span);
        covered = std::max(covered, t.end);
        previous = i;
        any = true;
    }
    if (!any)
        selection.refusal = SelectionRefusal::NotCovered;
    return selection;
}

std::optional<HeldRange> heldRange(const std::vector<RecordingTime>& times,
                                   const Selection& selection, ClockMillis from, ClockMillis to) {
    if (selection.spans.empty())
        return std::nullopt;
    ClockMillis first = times[selection.spans.front().source].start, last = first;
    for (const avi::SourceSpan& span : selection.spans)
        last = std::max(last, times[span.source].end);
    HeldRange held;
    held.from = std::max(from, first);
    held.to = std::min(to, last);
    held.reachesPast = first > from + kTimeSlackMillis || last < to - kTimeSlackMillis;
    held.whole = !held.reachesPast && selection.gaps.empty();
    return held;
}

std::vector<Gap> gapsBetween(const std::vector<RecordingTime>& times) {
    std::vector<Gap> gaps;
    for (std::size_t i = 1; i < times.size(); ++i) {
        std::int64_t apart = times[i].start - times[i - 1].end;
        if (apart > kTimeSlackMillis)
            gaps.push_back({i - 1, i, apart});
    }
    return gaps;
}

} // namespace kovra::clips
