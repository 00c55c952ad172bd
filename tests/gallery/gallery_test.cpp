// The gallery's own parts: where bars fall on a day's timeline, links to any name the card holds,
// the page with hostile names, and its record read back.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "clips/clock_time.h"
#include "gallery/gallery_page.h"
#include "gallery/gallery_record.h"
#include "gallery/link_path.h"
#include "gallery/page_template.h"
#include "gallery/picture_files.h"
#include "gallery/timeline.h"

namespace kovra::gallery {
namespace {

clips::ClockMillis at(const char* text) {
    return *clips::parseClockTime(text);
}

// Guards against bars placed off their times: the span's start and end hours, a bar's x and
// width for its times, the narrowest bar, and a video past midnight split over two days.
TEST(Timeline, BarsFallAtTheirTimes) {
    struct Case {
        const char *start, *end;
        std::size_t day;       // which day's timeline the bar is on
        std::size_t bar;       // which bar of that day
        double x, width;       // expected
        const char *from, *to; // the day's span
    } cases[] = {
        // 08:15 to 08:30 in a span of 08:00 to 10:00 (2 h = 1000 units): x 125, width 125.
        {"2007-10-16 08:15:00", "2007-10-16 08:30:00", 0, 0, 125, 125, "2007-10-16 08:00:00",
         "2007-10-16 10:00:00"},
        // The gap from 08:30 to 09:30 stays a gap: the next bar starts at 750.
        {"2007-10-16 09:30:00", "2007-10-16 09:59:59.999", 0, 1, 750, 249.99, "2007-10-16 08:00:00",
         "2007-10-16 10:00:00"},
        // Six seconds at 23:00 on a one-hour span: widened to the narrowest bar.
        {"2007-10-17 23:00:00", "2007-10-17 23:00:06", 1, 0, 0, kNarrowestBar,
         "2007-10-17 23:00:00", "2007-10-18 00:00:00"},
        // Past midnight: the part from 23:59 on the 17th, and the part to 00:30 on the 18th.
        {"2007-10-17 23:59:00", "2007-10-18 00:30:00", 1, 1, 1000 * 59.0 / 60 - 0, 1000 / 60.0,
         "2007-10-17 23:00:00", "2007-10-18 00:00:00"},
    };
    std::vector<TimelineVideo> videos;
    for (std::size_t i = 0; i < std::size(cases); ++i)
        videos.push_back({at(cases[i].start), at(cases[i].end), i});
    std::vector<TimelineDay> days = layOutTimeline(videos);
    ASSERT_EQ(days.size(), 3u);
    EXPECT_EQ(days[2].dayStart, at("2007-10-18 00:00:00"));
    ASSERT_EQ(days[2].bars.size(), 1u);
    EXPECT_EQ(days[2].bars[0].index, 3u);
    EXPECT_NEAR(days[2].bars[0].x, 0, 1e-9);
    EXPECT_NEAR(days[2].bars[0].width, 500, 1e-9); // 30 minutes of the hour 00:00 to 01:00
    for (const Case& c : cases) {
        SCOPED_TRACE(c.start);
        const TimelineDay& day = days.at(c.day);
        EXPECT_EQ(day.from, at(c.from));
        EXPECT_EQ(day.to, at(c.to));
        const TimelineBar& bar = day.bars.at(c.bar);
        EXPECT_NEAR(bar.x, c.x, 0.01);
        EXPECT_NEAR(bar.width, c.width, 0.01);
    }
}

// Guards against hour marks that miss the span's ends or label the wrong hour.
TEST(Timeline, HourMarksCoverTheSpan) {
    std::vector<TimelineDay> days =
        layOutTimeline({{at("2007-10-16 08:15:00"), at("2007-10-16 10:05:00"), 0}});
    ASSERT_EQ(days.size(), 1u);
    ASSERT_EQ(days[0].hours.size(), 4u); // 08, 09, 10, 11
    EXPECT_EQ(days[0].hours.front().hour, 8);
    EXPECT_EQ(days[0].hours.back().hour, 11);
    EXPECT_NEAR(days[0].hours.front().x, 0, 1e-9);
    EXPECT_NEAR(days[0].hours.back().x, kTimelineWidth, 1e-9);
}

// Guards against a day's timeline drawn for every day of a span a hostile header claims: a
// video claiming centuries is drawn on the days a recording can touch, the others as they are.
TEST(Timeline, AClaimedSpanOfCenturiesDrawsOnlyDaysThatHoldRecordings) {
    std::vector<TimelineDay> days =
        layOutTimeline({{at("2007-10-16 08:00:00"), at("2307-10-16 08:00:00"), 0},
                        {at("2007-10-20 09:00:00"), at("2007-10-20 09:10:00"), 1}});
    ASSERT_EQ(days.size(), 3u);
    EXPECT_EQ(days[0].dayStart, at("2007-10-16 00:00:00"));
    EXPECT_EQ(days[1].bars.at(0).end, at("2007-10-17 08:00:00"));
    EXPECT_EQ(days[2].bars.at(0).index, 1u);
}

// Guards against names that break out of a link, and links that miss the file.
TEST(LinkPath, AnyNameIsOneLink) {
    struct Case {
        const char *folder, *file, *link;
    } cases[] = {
        {"/home/me/gallery", "/media/card/DCIM/MOV0001.avi",
         "../../../media/card/DCIM/MOV0001.avi"},
        {"/home/me/out", "/home/me/out/DCIM/a b.avi", "DCIM/a%20b.avi"},
        {"/x", "/x/<img src=x onerror=alert(1)>.avi",
         "%3Cimg%20src%3Dx%20onerror%3Dalert%281%29%3E.avi"},
        {"/x", "/x/&amp;#?\".avi", "%26amp%3B%23%3F%22.avi"},
        {"/x", "/x/\xe9t\xc3\xa9.avi", "%E9t%C3%A9.avi"},
        {"C:\\Users\\me\\out", "C:\\Users\\me\\out\\DCIM\\MOV0001.avi", "DCIM/MOV0001.avi"},
        {"C:\\Users\\me\\out", "E:\\DCIM\\MOV 1.avi", "file:///E:/DCIM/MOV%201.avi"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(linkTo(c.folder, c.file), c.link) << c.file;
}

std::string render(const std::string& name, const std::string& finding) {
    PageCard card;
    card.title = name;
    card.clock = finding;
    PageVideo video;
    video.name = name;
    video.link = percentEncoded(name);
    video.state = "repairable";
    video.findings = {finding};
    video.start = at("2007-10-16 08:15:00");
    video.end = at("2007-10-16 08:15:06");
    video.facts = {{"Start", name}};
    video.cover = PagePicture{"kovra-gallery/a.jpg", 320, 240};
    return renderPage(card, {video});
}

// Guards against a name or text from the card reaching the page as markup.
TEST(GalleryPage, HostileNamesAreText) {
    struct Case {
        const char *name, *mustNotAppear, *escaped;
    } cases[] = {
        {"<img src=x onerror=alert(1)>.avi", "<img src=x", "&lt;img src=x onerror=alert(1)&gt;"},
        {"&amp;.avi", ">&amp;.avi", "&amp;amp;.avi"},
        {"\"><script>alert(1)</script>", "<script>", "&quot;&gt;&lt;script&gt;"},
        {"{{title}}.avi", "Kovra gallery: Kovra", "{{title}}.avi"},
    };
    for (const Case& c : cases) {
        std::string page = render(c.name, c.name);
        EXPECT_EQ(page.find(c.mustNotAppear), std::string::npos) << c.name;
        EXPECT_NE(page.find(c.escaped), std::string::npos) << c.name;
    }
    // No script of any kind, and nothing the browser would fetch from elsewhere.
    std::string page = render("a.avi", "fine");
    EXPECT_EQ(page.find("<script"), std::string::npos);
    EXPECT_EQ(page.find("://"), std::string::npos);
}

// Guards against a frame that gave no picture shown as an empty box with no word of why, or
// a strip none of whose frames gave one left off the page; the words escaped as any text.
TEST(GalleryPage, SaysWhyAFrameHasNoPicture) {
    PageVideo video;
    video.name = "a.avi";
    video.state = "ok";
    video.coverRefused = "CMYK (4 colour components)";
    video.strip = {std::nullopt, std::nullopt};
    video.stripRefused = {"no quantisation table", "<b>"};
    std::string page = renderPage(PageCard{}, {video});
    for (const char* said : {"No picture: CMYK (4 colour components)",
                             "No picture: no quantisation table", "No picture: &lt;b&gt;"})
        EXPECT_NE(page.find(said), std::string::npos) << said;
}

// Guards against a record that loses a video's facts or pictures, or takes damage for a record.
TEST(GalleryRecord, ReadsBackWhatItWrote) {
    GalleryVideo video;
    video.path = std::string("/card/DCIM/\xff<x>.avi", 20);
    video.size = 1695516;
    video.modified = 1192522607;
    video.state = avi::VideoState::Repairable;
    video.findings = {{avi::FindingKind::NoIndex, 0, 0, 0, 90},
                      {avi::FindingKind::StreamLength, 1, 24000, 15360, 15360}};
    video.frames = 90;
    video.width = 640;
    video.height = 480;
    video.fps = 15;
    video.durationSeconds = 6;
    video.time = clips::RecordingTime{at("2007-10-16 08:16:41"), at("2007-10-16 08:16:47"),
                                      clips::TimeSource::FileTime};
    video.cover = PictureFile{"x-cover.jpg", 320, 240, 9000};
    video.strip = {PictureFile{"x-1.jpg", 160, 120, 3000}, std::nullopt};
    video.stripRefused = {pictures::NoPicture::None, pictures::NoPicture::Cmyk};
    GalleryRecord record;
    record.note(video);
    GalleryRecord read;
    ASSERT_TRUE(read.parse(record.text()));
    const GalleryVideo* back = read.find(video.path);
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->size, video.size);
    EXPECT_EQ(back->modified, video.modified);
    // Values, not words: the page words them as it is written.
    EXPECT_EQ(back->state, avi::VideoState::Repairable);
    EXPECT_EQ(back->findings, video.findings);
    EXPECT_EQ(back->time->start, video.time->start);
    EXPECT_EQ(back->time->source, clips::TimeSource::FileTime);
    EXPECT_EQ(back->cover->name, "x-cover.jpg");
    ASSERT_EQ(back->strip.size(), 2u);
    EXPECT_EQ(back->strip[0]->width, 160u);
    EXPECT_EQ(back->strip[0]->bytes, 3000u);
    EXPECT_FALSE(back->strip[1]);
    // The kind, not a sentence: the page says it in the words of the day it is written.
    EXPECT_EQ(back->stripRefused.at(1), pictures::NoPicture::Cmyk);
    EXPECT_EQ(back->coverRefused, pictures::NoPicture::None);
    std::string text = record.text();
    for (const std::string& damaged :
         {text.substr(0, text.size() / 2), std::string("{}"), std::string("kovra-export 1\n")})
        EXPECT_FALSE(read.parse(damaged));
    EXPECT_EQ(read.find(video.path), nullptr);
}

// Guards against a gallery of the version that kept findings in words refused or read as
// empty: its pictures would be taken for the owner's and never removed. Its videos are read
// again, their findings being known only as words.
TEST(GalleryRecord, ReadsTheRecordThatKeptWords) {
    const std::string cover = "MOV0005-1dbd3a1e8e7e4d1b-cover.jpg";
    // "/a.avi" with a cover, "/b.avi" with no picture to look for.
    auto entry = [](const char* hexPath, const std::string& coverJson) {
        return std::string(R"({"path": ")") + hexPath + R"(", "size": 4096,
        "modified": 1192605600, "readError": "", "state": "unreadable",
        "findings": ["not an AVI file"], "frames": 0, "width": 0, "height": 0, "fps": 0.0,
        "duration": 0.0, "time": null, "cover": )" +
               coverJson + R"(, "strip": ["noFrame"]})";
    };
    std::string earlier =
        R"({"kovraGallery": 2, "videos": [)" +
        entry("2f612e617669",
              R"({"name": ")" + cover + R"(", "width": 160, "height": 120, "bytes": 900})") +
        ", " + entry("2f622e617669", R"("noFrame")") + "]}";
    GalleryRecord record;
    ASSERT_TRUE(record.parse(earlier));
    EXPECT_EQ(record.pictureNames(), std::set<std::string>{cover});
    const GalleryVideo* known = record.find("/b.avi");
    ASSERT_NE(known, nullptr);
    FileInfo info;
    info.size = 4096;
    info.modified = 1192605600;
    EXPECT_FALSE(stillShown(systemPlatform(), "/nowhere", known, info));
}

// Guards against a changed video keeping its old picture's name, and names that are not plain.
TEST(PictureFiles, NamesFollowTheVideo) {
    std::string a = pictureName("/card/DCIM/<MOV 1>.avi", 100, 5, "cover", "jpg");
    EXPECT_EQ(a.rfind("MOV1-", 0), 0u) << a;
    EXPECT_EQ(a.substr(a.size() - 10), "-cover.jpg");
    EXPECT_NE(a, pictureName("/card/DCIM/<MOV 1>.avi", 101, 5, "cover", "jpg"));
    EXPECT_NE(a, pictureName("/card/DCIM/<MOV 1>.avi", 100, 6, "cover", "jpg"));
    EXPECT_NE(a, pictureName("/card/DCIM/MOV 1.avi", 100, 5, "cover", "jpg"));
}

// Guards against removing what is not a picture of ours when the record (a file in DEST anyone
// may edit) names it: a path out of the folder, the owner's file, a name near ours.
TEST(PictureFiles, OnlyOurNamesAreRemovable) {
    struct Case {
        std::string name;
        bool ours;
    } cases[] = {
        {pictureName("/card/DCIM/<MOV 1>.avi", 100, 5, "cover", "jpg"), true},
        {pictureName("/card/DCIM/MOV0001.AVI", 100, 5, "8", "png"), true},
        {"../MOV1-0123456789abcdef-cover.jpg", false},
        {"README.txt", false},
        {"MOV1-0123456789abcdef-cover.txt", false},
        {"MOV1-0123456789ABCDEF-cover.jpg", false}, // our hashes are lower case
        {"MOV1-0123456789abcde-1.jpg", false},
        {"-0123456789abcdef-1.jpg", false},
        {"MOV1-0123456789abcdef-x.jpg", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(isPictureName(c.name), c.ours) << c.name;
}

// Guards against a page of ours taken for the owner's (and refused), or the owner's replaced.
TEST(GalleryPage, OursIsKnownByItsHead) {
    std::string page = renderPage(PageCard{}, {});
    std::string earlier = page; // as written before the mark
    earlier.erase(earlier.find(kPageMark), std::string(kPageMark).size());
    EXPECT_TRUE(isGalleryPage(page.substr(0, kPageHeadBytes)));
    EXPECT_TRUE(isGalleryPage(earlier.substr(0, kPageHeadBytes)));
    EXPECT_FALSE(isGalleryPage("<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<title>mine"));
}

} // namespace
} // namespace kovra::gallery
