#include "gallery/gallery_page.h"

#include <algorithm>
#include <cstdio>

#include <kainjow/mustache.hpp>

#include "gallery/page_template.h"
#include "gallery/timeline.h"

namespace kovra::gallery {

namespace {

using kainjow::mustache::data;
using kainjow::mustache::mustache;

// The timeline's rows, in the SVG's units.
constexpr int kLabelBaseline = 14;
constexpr int kHourLineTop = 18;
constexpr int kBarTop = 22;
constexpr int kBarHeight = 30;
constexpr int kTimelineHeight = kBarTop + kBarHeight + 6;

std::string number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", value);
    return text;
}

std::string videoId(std::size_t index) {
    return "video-" + std::to_string(index + 1);
}

data factList(const std::vector<Fact>& facts) {
    data list{data::type::list};
    for (const Fact& fact : facts) {
        data item;
        item.set("label", fact.label);
        item.set("value", fact.value);
        list.push_back(item);
    }
    return list;
}

data pictureData(const PagePicture& picture) {
    data item;
    item.set("link", picture.link);
    item.set("width", std::to_string(picture.width));
    item.set("height", std::to_string(picture.height));
    return item;
}

std::string dateText(clips::ClockMillis dayStart) {
    return clips::shownText(dayStart).substr(0, std::string("YYYY-MM-DD").size());
}

std::string hourLabel(int hour) {
    char text[8];
    std::snprintf(text, sizeof text, "%02d:00", hour);
    return text;
}

data daysData(const std::vector<PageVideo>& videos) {
    std::vector<TimelineVideo> timed;
    for (std::size_t i = 0; i < videos.size(); ++i)
        if (videos[i].start)
            timed.push_back({*videos[i].start, *videos[i].end, i});
    data days{data::type::list};
    for (const TimelineDay& day : layOutTimeline(timed)) {
        data item;
        item.set("date", dateText(day.dayStart));
        item.set("width", number(kTimelineWidth));
        item.set("height", std::to_string(kTimelineHeight));
        item.set("from", clips::isoText(day.from));
        item.set("to", clips::isoText(day.to));
        data hours{data::type::list};
        for (std::size_t h = 0; h < day.hours.size(); ++h) {
            const HourMark& mark = day.hours[h];
            data hour;
            hour.set("x", number(mark.x));
            hour.set("label", hourLabel(mark.hour));
            hour.set("anchor", h == 0 ? "start" : h + 1 == day.hours.size() ? "end" : "middle");
            hour.set("labelY", std::to_string(kLabelBaseline));
            hour.set("lineTop", std::to_string(kHourLineTop));
            hour.set("height", std::to_string(kTimelineHeight));
            hours.push_back(hour);
        }
        item.set("hours", hours);
        data bars{data::type::list};
        for (const TimelineBar& bar : day.bars) {
            const PageVideo& video = videos[bar.index];
            data b;
            b.set("id", videoId(bar.index));
            b.set("state", video.state);
            b.set("name", video.name);
            b.set("x", number(bar.x));
            b.set("width", number(bar.width));
            b.set("barTop", std::to_string(kBarTop));
            b.set("barHeight", std::to_string(kBarHeight));
            b.set("start", clips::isoText(bar.start));
            b.set("end", clips::isoText(bar.end));
            b.set("startText", video.startText);
            b.set("endText", video.endText);
            bars.push_back(b);
        }
        item.set("bars", bars);
        days.push_back(item);
    }
    return days;
}

data videoData(const PageVideo& video, std::size_t index) {
    data item;
    item.set("id", videoId(index));
    item.set("name", video.name);
    item.set("link", video.link);
    item.set("videoLink", video.link);
    item.set("state", video.state);
    data findings{data::type::list};
    for (const std::string& finding : video.findings)
        findings.push_back(data(finding));
    item.set("findings", findings);
    item.set("hasFindings",
             video.findings.empty() ? data::type::bool_false : data::type::bool_true);
    // A strip whose frames all gave none is still shown: each says why.
    bool pictures = video.cover.has_value() || !video.strip.empty();
    data strip{data::type::list};
    for (std::size_t i = 0; i < video.strip.size(); ++i) {
        data frame = video.strip[i] ? pictureData(*video.strip[i]) : data();
        frame.set("present", video.strip[i] ? data::type::bool_true : data::type::bool_false);
        frame.set("number", std::to_string(i + 1));
        if (i < video.stripRefused.size())
            frame.set("refused", video.stripRefused[i]);
        strip.push_back(frame);
    }
    item.set("strip", strip);
    if (video.cover)
        item.set("cover", pictureData(*video.cover));
    else if (!video.coverRefused.empty())
        item.set("coverRefused", video.coverRefused);
    item.set("hasPictures", pictures ? data::type::bool_true : data::type::bool_false);
    item.set("facts", factList(video.facts));
    return item;
}

} // namespace

bool isGalleryPage(const std::string& head) {
    auto at = [&](std::size_t from, const std::string& text) {
        return head.compare(from, text.size(), text) == 0;
    };
    std::size_t rest = std::string(kPageStart).size();
    return at(0, kPageStart) && (at(rest, kPageMark) || at(rest, kEarlierPageHead));
}

std::string renderPage(const PageCard& card, std::vector<PageVideo> videos) {
    std::stable_sort(videos.begin(), videos.end(), [](const PageVideo& a, const PageVideo& b) {
        return a.start && (!b.start || *a.start < *b.start);
    });
    data page;
    page.set("title", card.title);
    page.set("glance", factList(card.glance));
    page.set("hasSettings", card.settings.empty() ? data::type::bool_false : data::type::bool_true);
    page.set("settings", factList(card.settings));
    page.set("settingsAbsent", card.settingsAbsent);
    page.set("clock", card.clock);
    page.set("days", daysData(videos));
    data untimed{data::type::list};
    data list{data::type::list};
    for (std::size_t i = 0; i < videos.size(); ++i) {
        list.push_back(videoData(videos[i], i));
        if (!videos[i].start) {
            data item;
            item.set("id", videoId(i));
            item.set("name", videos[i].name);
            item.set("state", videos[i].state);
            untimed.push_back(item);
        }
    }
    page.set("hasUntimed",
             untimed.is_empty_list() ? data::type::bool_false : data::type::bool_true);
    page.set("untimed", untimed);
    page.set("videos", list);
    mustache tmpl{std::string(kPageTemplate)};
    return tmpl.render(page);
}

} // namespace kovra::gallery
