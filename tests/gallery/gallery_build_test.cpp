// The gallery built in-process, its files' faults scripted through the platform: what fails is
// handed back naming its file with the system's reason, the rest is still shown, and nothing
// is left behind; and a DEST that holds the owner's files keeps them.
#include "gallery/gallery_build.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <string>
#include <vector>

#include "device/file_paths.h"
#include "gallery/gallery_page.h"
#include "gallery/gallery_record.h"
#include "gallery/page_template.h"
#include "testkit/faulty_platform.h"
#include "tests/support/scratch_dir.h"

namespace kovra::gallery {
namespace {

// What reaches a file before its disk is full: less than any picture or page.
constexpr std::uint64_t kWrittenBeforeFull = 100;

// Two recordings, one of them cut by a power cut, and the gallery's DEST beside them.
struct Card {
    test::ScratchDir card, out;
    test::FaultyPlatform platform;
    std::string dest = out.file("gallery");
    std::vector<std::string> paths{card.file("ALPHA.avi"), card.file("BETA.avi")};

    Card() {
        test::writeAll(paths[0], test::readAll(KOVRA_AVI_CORPUS "/sound_mars.avi"));
        test::writeAll(paths[1], test::readAll(KOVRA_AVI_CORPUS "/cut_in_frame.avi"));
    }
    GalleryRequest request(std::size_t videos = 2) const {
        GalleryRequest r;
        r.dest = dest;
        r.title = card.path().string();
        for (std::size_t i = 0; i < videos; ++i)
            r.videos.push_back({paths[i], "DCIM/" + std::to_string(i), paths[i]});
        return r;
    }
    // Every file below DEST whose name ends so.
    std::vector<std::string> filesEnding(const std::string& end) const {
        std::vector<std::string> found;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(out.path())) {
            std::string name = entry.path().filename().string();
            if (name.size() >= end.size() && name.substr(name.size() - end.size()) == end)
                found.push_back(entry.path().string());
        }
        return found;
    }
};

TEST(GalleryBuild, FailuresNameTheirFileAndLeaveNothing) {
    const OsError eio(OsError::Other, EIO);
    using Problem = GalleryProblemKind;
    struct Case {
        const char* fault;
        bool reads;       // the reads of the file fail, else the writes, the disk full
        const char* file; // how the faulty file's path ends, and so the one named
        GalleryFailureKind failure;
        Problem problem;
        std::size_t problems;
    } cases[] = {
        // Guards against an unreadable video dropped in silence, or taken for the gallery's end.
        {"a video's reads fail", true, "ALPHA.avi", GalleryFailureKind::None,
         Problem::VideoUnreadable, 1},
        // Guards against a picture cut short by a full disk given its name (and then never
        // removed, since the record does not name it), or its failure lost.
        {"a picture cannot be written", false, "-cover.jpg", GalleryFailureKind::None,
         Problem::PictureUnwritable, 2},
        // Guards against a page that could not be written said as written, or left half-made.
        {"the page cannot be written", false, kPageName, GalleryFailureKind::Unwritable,
         Problem::VideoUnreadable, 0},
        // Guards against a record that was not saved passed over as if the gallery were whole.
        {"the record cannot be saved", false, GalleryRecord::kFileName, GalleryFailureKind::None,
         Problem::RecordUnwritable, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fault);
        Card card;
        if (c.reads)
            card.platform.failReads(c.file, 0, eio);
        else
            card.platform.failWrites(c.file, kWrittenBeforeFull);
        GalleryOutcome outcome = buildGallery(card.platform, card.request());
        OsError error = c.reads ? eio : OsError(OsError::DiskFull);
        EXPECT_EQ(outcome.failure.kind, c.failure);
        ASSERT_EQ(outcome.problems.size(), c.problems);
        std::vector<std::string> named;
        for (const GalleryProblem& problem : outcome.problems) {
            EXPECT_EQ(problem.kind, c.problem);
            EXPECT_EQ(problem.error, error);
            named.push_back(problem.path);
        }
        if (!outcome.written()) {
            EXPECT_EQ(outcome.failure.error, error);
            named.push_back(outcome.failure.path);
        }
        for (const std::string& path : named) {
            std::string end = c.file;
            ASSERT_GE(path.size(), end.size());
            EXPECT_EQ(path.substr(path.size() - end.size()), end);
            // The output that failed is not there, not even in part; the video is.
            EXPECT_EQ(test::fileExists(path), c.reads) << path;
        }
        EXPECT_EQ(card.filesEnding(".kovra-tmp"), std::vector<std::string>{});
        EXPECT_EQ(test::fileExists(joinPath(card.dest, kPageName)), outcome.written());
    }
}

// Guards against a gallery of the same videos written again, and flushed, where nothing
// changed (on a USB stick the flushes cost more than the rest), and against a page not written
// again where it did: where what it shows changed with the videos unchanged, or where the page
// is no longer what was written, which its record alone does not tell.
TEST(GalleryBuild, WritesOnlyWhatChanged) {
    using Change = void (*)(const Card&, GalleryRequest&);
    struct Case {
        const char* change;
        std::size_t videos; // shown the second time
        Change before;      // between the two
        bool written;
    } cases[] = {
        {"nothing", 2, [](const Card&, GalleryRequest&) {}, true},
        {"one video fewer", 1, [](const Card&, GalleryRequest&) {}, false},
        {"the card shown under another title", 2,
         [](const Card&, GalleryRequest& request) { request.title += "-2"; }, false},
        {"the page edited by hand, its size kept", 2,
         [](const Card& card, GalleryRequest&) {
             std::string page = joinPath(card.dest, kPageName);
             std::vector<unsigned char> bytes = test::readAll(page);
             bytes[bytes.size() / 2] ^= 1;
             test::writeAll(page, bytes);
         },
         false},
        {"the page removed", 2,
         [](const Card& card, GalleryRequest&) {
             std::filesystem::remove(joinPath(card.dest, kPageName));
         },
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.change);
        Card card;
        ASSERT_TRUE(buildGallery(card.platform, card.request()).written());
        for (const char* file : {kPageName, GalleryRecord::kFileName, ".jpg"})
            card.platform.failWrites(file, 0);
        GalleryRequest request = card.request(c.videos);
        c.before(card, request);
        GalleryOutcome again = buildGallery(card.platform, request);
        EXPECT_EQ(again.written(), c.written);
        EXPECT_EQ(again.problems.size(), 0u);
    }
}

// Guards against the gallery replacing or removing the owner's files in DEST: a page of theirs
// (kept unless forced, while a page of ours, even of the version before the mark, is
// replaced), and a file of theirs in the picture folder, kept while the pictures of a video no
// longer shown go.
TEST(GalleryBuild, KeepsTheOwnersFiles) {
    Card card;
    std::string page = joinPath(card.dest, kPageName);
    std::string folder = joinPath(card.dest, kPictureFolder);
    std::filesystem::create_directories(folder);
    test::writeAll(joinPath(folder, "README.txt"), {'m', 'i', 'n', 'e'});
    ASSERT_TRUE(buildGallery(card.platform, card.request()).whole());
    std::size_t all = card.filesEnding(".jpg").size();
    GalleryOutcome fewer = buildGallery(card.platform, card.request(1));
    EXPECT_TRUE(fewer.whole());
    EXPECT_EQ(fewer.picturesWritten, 0u);
    EXPECT_GT(fewer.picturesRemoved, 0u);
    EXPECT_EQ(card.filesEnding(".jpg").size(), all - fewer.picturesRemoved);
    for (const std::string& left : card.filesEnding(".jpg"))
        EXPECT_EQ(left.find("BETA-"), std::string::npos) << left;
    EXPECT_TRUE(test::fileExists(joinPath(folder, "README.txt")));

    std::vector<unsigned char> ours = test::readAll(page);
    std::string earlier(ours.begin(), ours.end());
    earlier.erase(earlier.find(kPageMark), std::string(kPageMark).size());
    const std::string mine = "<p>my page</p>\n";
    struct Case {
        const char* what;
        std::string page;
        bool force;
        GalleryFailureKind failure;
    } cases[] = {
        {"the owner's page", mine, false, GalleryFailureKind::ForeignPage},
        {"the owner's page, forced", mine, true, GalleryFailureKind::None},
        {"a page of the version before the mark", earlier, false, GalleryFailureKind::None},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        test::writeAll(page, std::vector<unsigned char>(c.page.begin(), c.page.end()));
        GalleryRequest request = card.request(1);
        request.force = c.force;
        GalleryOutcome outcome = buildGallery(card.platform, request);
        EXPECT_EQ(outcome.failure.kind, c.failure);
        std::vector<unsigned char> now = test::readAll(page);
        EXPECT_EQ(std::string(now.begin(), now.end()) == c.page, !outcome.written());
    }
}

} // namespace
} // namespace kovra::gallery
