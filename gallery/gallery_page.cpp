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

// The library's data copies what is set in it or appended to it, a list with all it holds: a
// page's lists, copied again at each level they are put in, cost more than rendering them. So
// members and items are put in empty and filled where they are; what holds them is not const.
// A list's room is made first: the library's data moves without noexcept, and a list that
// grew would copy every item it held.
data& newMember(data& object, const std::string& name, data::type type) {
    object.set(name, data(type));
    return const_cast<data&>(*object.get(name));
}

data& newList(data& object, const std::string& name, std::size_t items) {
    data& list = newMember(object, name, data::type::list);
    const_cast<kainjow::mustache::list&>(list.list_value()).reserve(items);
    return list;
}

data& newItem(data& list, data::type type = data::type::object) {
    list.push_back(data(type));
    return const_cast<data&>(list.list_value().back());
}

void setFactList(data& object, const std::string& name, const std::vector<Fact>& facts) {
    data& list = newList(object, name, facts.size());
    for (const Fact& fact : facts) {
        data& item = newItem(list);
        item.set("label", fact.label);
        item.set("value", fact.value);
    }
}

void setPicture(data& item, const PagePicture& picture) {
    item.set("link", picture.link);
    item.set("width", std::to_string(picture.width));
    item.set("height", std::to_string(picture.height));
}

std::string dateText(clips::ClockMillis dayStart) {
    return clips::shownText(dayStart).substr(0, std::string("YYYY-MM-DD").size());
}

std::string hourLabel(int hour) {
    char text[8];
    std::snprintf(text, sizeof text, "%02d:00", hour);
    return text;
}

void setDays(data& page, const std::vector<PageVideo>& videos) {
    std::vector<TimelineVideo> timed;
    for (std::size_t i = 0; i < videos.size(); ++i)
        if (videos[i].start)
            timed.push_back({*videos[i].start, *videos[i].end, i});
    std::vector<TimelineDay> laidOut = layOutTimeline(timed);
    data& days = newList(page, "days", laidOut.size());
    for (const TimelineDay& day : laidOut) {
        data& item = newItem(days);
        item.set("date", dateText(day.dayStart));
        item.set("width", number(kTimelineWidth));
        item.set("height", std::to_string(kTimelineHeight));
        item.set("from", clips::isoText(day.from));
        item.set("to", clips::isoText(day.to));
        data& hours = newList(item, "hours", day.hours.size());
        for (std::size_t h = 0; h < day.hours.size(); ++h) {
            const HourMark& mark = day.hours[h];
            data& hour = newItem(hours);
            hour.set("x", number(mark.x));
            hour.set("label", hourLabel(mark.hour));
            hour.set("anchor", h == 0 ? "start" : h + 1 == day.hours.size() ? "end" : "middle");
            hour.set("labelY", std::to_string(kLabelBaseline));
            hour.set("lineTop", std::to_string(kHourLineTop));
            hour.set("height", std::to_string(kTimelineHeight));
        }
        data& bars = newList(item, "bars", day.bars.size());
        for (const TimelineBar& bar : day.bars) {
            const PageVideo& video = videos[bar.index];
            data& b = newItem(bars);
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
        }
    }
}

void setVideo(data& item, const PageVideo& video, std::size_t index) {
    item.set("id", videoId(index));
    item.set("name", video.name);
    item.set("link", video.link);
    item.set("videoLink", video.link);
    item.set("state", video.state);
    data& findings = newList(item, "findings", video.findings.size());
    for (const std::string& finding : video.findings)
        findings.push_back(data(finding));
    item.set("hasFindings",
             video.findings.empty() ? data::type::bool_false : data::type::bool_true);
    // A strip whose frames all gave none is still shown: each says why.
    bool pictures = video.cover.has_value() || !video.strip.empty();
    data& strip = newList(item, "strip", video.strip.size());
    for (std::size_t i = 0; i < video.strip.size(); ++i) {
        data& frame = newItem(strip);
        if (video.strip[i])
            setPicture(frame, *video.strip[i]);
        frame.set("present", video.strip[i] ? data::type::bool_true : data::type::bool_false);
        frame.set("number", std::to_string(i + 1));
        if (i < video.stripRefused.size())
            frame.set("refused", video.stripRefused[i]);
    }
    if (video.cover)
        setPicture(newMember(item, "cover", data::type::object), *video.cover);
    else if (!video.coverRefused.empty())
        item.set("coverRefused", video.coverRefused);
    item.set("hasPictures", pictures ? data::type::bool_true : data::type::bool_false);
    setFactList(item, "facts", video.facts);
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
    setFactList(page, "glance", card.glance);
    page.set("hasSettings", card.settings.empty() ? data::type::bool_false : data::type::bool_true);
    setFactList(page, "settings", card.settings);
    page.set("settingsAbsent", card.settingsAbsent);
    page.set("clock", card.clock);
    setDays(page, videos);
    data& untimed = newList(page, "untimed", videos.size());
    data& list = newList(page, "videos", videos.size());
    for (std::size_t i = 0; i < videos.size(); ++i) {
        setVideo(newItem(list), videos[i], i);
        if (!videos[i].start) {
            data& item = newItem(untimed);
            item.set("id", videoId(i));
            item.set("name", videos[i].name);
            item.set("state", videos[i].state);
        }
    }
    page.set("hasUntimed",
             untimed.is_empty_list() ? data::type::bool_false : data::type::bool_true);
    mustache tmpl{std::string(kPageTemplate)};
    return tmpl.render(page);
}

} // namespace kovra::gallery
