// The videos of a folder tree: each found once however links lead, only regular files taken,
// and every limit reached said.
#include "device/video_finder.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/bytes.h"
#include "tests/support/scratch_dir.h"

namespace kovra {
namespace {

namespace fs = std::filesystem;

std::vector<PassedOver> reasons(const FoundVideos& found) {
    std::vector<PassedOver> why;
    for (const PassedOverEntry& entry : found.passedOver)
        why.push_back(entry.why);
    return why;
}

// Guards against a link loop that exports one video 32 times (or hangs, with two), a link
// that leads off the card (also to a neighbour whose name begins with the card's and a '\',
// which is no separator on POSIX), and a FIFO named like a video that blocks whoever opens it.
TEST(VideoFinder, EachFolderOnceAndOnlyFilesInside) {
    test::ScratchDir dir;
    std::string card = dir.file("card"), elsewhere = dir.file("elsewhere");
    fs::create_directories(card + "/DCIM/100");
    fs::create_directories(elsewhere);
    fs::create_directories(card + "\\beside");
    test::writeAll(card + "/DCIM/MOV0001.avi", test::sampleVideo("MARS", 64));
    test::writeAll(card + "/DCIM/100/MOV0002.AVI", test::sampleVideo("MARS", 64));
    test::writeAll(card + "/notes.txt", test::sampleVideo("text", 8));
    test::writeAll(elsewhere + "/private.avi", test::sampleVideo("RIFF", 64));
    std::error_code noLinks;
    fs::create_directory_symlink(card, card + "/DCIM/loop", noLinks);
    if (noLinks)
        GTEST_SKIP() << "this file system makes no symbolic links: " << noLinks.message();
    fs::create_directory_symlink("..", card + "/DCIM/100/up");
    fs::create_directory_symlink(elsewhere, card + "/away");
    fs::create_symlink(elsewhere + "/private.avi", card + "/private.avi");
    fs::create_symlink(card + "/gone", card + "/dangling.avi");
    test::writeAll(card + "\\beside.avi", test::sampleVideo("RIFF", 64));
    fs::create_symlink(card + "\\beside.avi", card + "/beside.avi");
    fs::create_directory_symlink(card + "\\beside", card + "/beside");

    FoundVideos found = findVideos(systemPlatform(), card);
    EXPECT_EQ(found.videos, (std::vector<std::string>{"DCIM/100/MOV0002.AVI", "DCIM/MOV0001.avi"}));
    std::vector<PassedOver> why = reasons(found);
    auto count = [&](PassedOver reason) { return std::count(why.begin(), why.end(), reason); };
    EXPECT_EQ(count(PassedOver::WalkedAlready), 2) << "DCIM/loop and DCIM/100/up";
    EXPECT_EQ(count(PassedOver::LinkOutside), 5)
        << "away, private.avi, dangling.avi, beside.avi, beside";
}

// Guards against a FIFO named like a video being listed, to hang the export that opens it.
TEST(VideoFinder, AFifoIsNamedAndLeftAlone) {
    test::ScratchDir dir;
    std::string fifo = dir.file("MOV0003.avi");
    if (mkfifo(fifo.c_str(), 0600) != 0)
        GTEST_SKIP() << "no FIFOs here";
    FoundVideos found = findVideos(systemPlatform(), dir.path().string());
    EXPECT_TRUE(found.videos.empty());
    ASSERT_EQ(found.passedOver.size(), 1u);
    EXPECT_EQ(found.passedOver[0].why, PassedOver::NotAFile);
    EXPECT_EQ(found.passedOver[0].relative, "MOV0003.avi");
}

// Guards against a search that stops at a limit without saying so.
TEST(VideoFinder, LimitsReachedAreSaid) {
    test::ScratchDir dir;
    fs::create_directories(dir.file("a/b/c"));
    test::writeAll(dir.file("a/b/c/deep.avi"), test::sampleVideo("MARS", 16));
    for (const char* name : {"1.avi", "2.avi", "3.avi"})
        test::writeAll(dir.file(name), test::sampleVideo("MARS", 16));
    VideoSearchLimits shallow;
    shallow.deepestFolder = 1;
    EXPECT_EQ(reasons(findVideos(systemPlatform(), dir.path().string(), shallow)),
              std::vector<PassedOver>{PassedOver::TooDeep});
    VideoSearchLimits few;
    few.mostEntries = 2;
    FoundVideos found = findVideos(systemPlatform(), dir.path().string(), few);
    EXPECT_EQ(reasons(found), std::vector<PassedOver>{PassedOver::TooMany});
    EXPECT_LE(found.videos.size(), 2u);
}

} // namespace
} // namespace kovra
