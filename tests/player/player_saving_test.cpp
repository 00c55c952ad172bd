// What the player saves: a clip byte for byte the clip job's of the same range, with `clip
// --json`'s document, under a name made from the range that never replaces a file Kovra did not
// write; a frame as the recorder's JPEG; a save that fails names the file and leaves nothing
// behind, one killed takes no name.
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>

#include "clips/clock_time.h"
#include "clips/timed_video.h"
#include "device/file_paths.h"
#include "device/file_replacement.h"
#include "player/player.h"
#include "testkit/faulty_platform.h"
#include "tests/player/player_card.h"
#include "words/clip_json.h"

namespace kovra::player::test {
namespace {

constexpr std::int64_t kIntoRecording = 1200, kRangeMillis = 1500;
constexpr std::uint64_t kSavedFrame = 7;
constexpr std::uint64_t kBytesBeforeFull = 100;

std::vector<std::string> filesIn(const std::string& folder) {
    std::vector<std::string> names;
    if (std::filesystem::exists(folder))
        for (const auto& entry : std::filesystem::directory_iterator(folder))
            names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

class PlayerSavingTest : public PlayerCardTest {
  protected:
    void SetUp() override {
        PlayerCardTest::SetUp();
        if (IsSkipped())
            return;
        start_ = clips::readTimedVideo(systemPlatform(), card_.closed).time.value().start +
                 kIntoRecording;
        candidates_ = clips::findRangeCandidates(systemPlatform(), card_.folder);
        save_ = card_.dir.file("save");
    }
    clips::ClockMillis start_ = 0;
    clips::RangeCandidates candidates_;
    std::string save_;
};

// Each save in turn; the owner's file of the clip's name stays as it was.
TEST_F(PlayerSavingTest, AClipIsTheClipJobsFileUnderAFreeName) {
    // "2007-10-16 14:02:07" and "2007-10-16 14:02:08" where the PC's clock is on UTC.
    auto digits = [](std::string text) {
        text.erase(std::remove(text.begin(), text.end(), ':'), text.end());
        return text;
    };
    std::string from = clips::shownText(start_), to = clips::shownText(start_ + kRangeMillis);
    std::string stem =
        "kovra-" + from.substr(0, 10) + "-" + digits(from.substr(11)) + "-" + digits(to.substr(11));
    std::filesystem::create_directory(save_);
    const Bytes owners = {'m', 'i', 'n', 'e'};
    kovra::test::writeAll(joinPath(save_, stem + ".avi"), owners);

    std::string reference = card_.dir.file("reference.avi");
    clips::ClipOutcome outcome =
        clips::clipRange(systemPlatform(), candidates_, start_, start_ + kRangeMillis, reference);
    ASSERT_TRUE(outcome.written());

    Player player(systemPlatform(), {save_, 0, kDefaultCacheBytes});
    const char* faults[] = {"an owner's file of the range's name replaced",
                            "a second save of the range written over the first"};
    for (int i = 0; i < 2; ++i) {
        SCOPED_TRACE(faults[i]);
        SavedAnswer answer = player.saveClip(candidates_, clips::isoText(start_),
                                             clips::isoText(start_ + kRangeMillis));
        ASSERT_EQ(answer.failure.refusal, Refusal::None) << answer.failure.text;
        EXPECT_EQ(answer.path, joinPath(save_, stem + "-" + std::to_string(i + 2) + ".avi"));
        EXPECT_TRUE(kovra::test::readAll(answer.path) == kovra::test::readAll(reference))
            << "not the clip job's bytes";
        EXPECT_EQ(answer.document, words::clipJson(answer.path, outcome, 0))
            << "not clip --json's document";
    }
    EXPECT_TRUE(kovra::test::readAll(joinPath(save_, stem + ".avi")) == owners);
}

// Into ~/Videos/kovra of a home without Videos: a save folder whose parent is missing would
// otherwise refuse every save.
TEST_F(PlayerSavingTest, AFrameIsTheRecordersJpeg) {
    std::string nested = joinPath(joinPath(card_.dir.file("home"), "Videos"), "kovra");
    Player player(systemPlatform(), {nested, 0, kDefaultCacheBytes});
    SavedAnswer answer = player.saveFrame(card_.closed, kSavedFrame);
    ASSERT_EQ(answer.failure.refusal, Refusal::None) << answer.failure.text;
    EXPECT_EQ(answer.path, joinPath(nested, "MOV0001-frame-000007.jpg"));
    EXPECT_EQ(answer.document, nlohmann::json({{"path", answer.path}}));
    EXPECT_TRUE(kovra::test::readAll(answer.path) == player.frame(card_.closed, kSavedFrame).jpeg);
}

enum class Fault { FullDisk, FlushFails, MoveFails, KilledBeforeMove };

struct SaveFaultCase {
    const char* fault;
    Fault kind;
    bool clip;
};

// A temporary file's name, which a save killed before its move may leave (the next save of its
// name removes it); every other name is one a save took.
bool isTemporary(const std::string& name) {
    const std::string suffix = FileReplacement::kTemporarySuffix;
    return name.size() > suffix.size() &&
           name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0;
}

TEST_F(PlayerSavingTest, AFailedOrKilledSaveTakesNoName) {
    const SaveFaultCase cases[] = {
        {"a clip on a full disk leaves a name taken or a temporary file, or names none",
         Fault::FullDisk, true},
        {"a frame on a full disk leaves a name taken or a temporary file, or names none",
         Fault::FullDisk, false},
        {"a clip whose flush fails is named all the same, or leaves a file", Fault::FlushFails,
         true},
        {"a frame whose flush fails is named all the same, or leaves a file", Fault::FlushFails,
         false},
        {"a clip whose move fails leaves its temporary file", Fault::MoveFails, true},
        {"a frame whose move fails leaves its temporary file", Fault::MoveFails, false},
        {"a clip killed before its move leaves an empty file under its name",
         Fault::KilledBeforeMove, true},
        {"a frame killed before its move leaves an empty file under its name",
         Fault::KilledBeforeMove, false},
    };
    for (const SaveFaultCase& c : cases) {
        SCOPED_TRACE(c.fault);
        std::filesystem::remove_all(save_);
        kovra::test::FaultyPlatform platform;
        const OsError io(OsError::Other, EIO);
        if (c.kind == Fault::FullDisk)
            platform.failWrites(save_, kBytesBeforeFull);
        if (c.kind == Fault::FlushFails)
            platform.failFlushes(save_, io);
        if (c.kind == Fault::MoveFails || c.kind == Fault::KilledBeforeMove)
            platform.failMoves(save_, io);
        // A killed process removes nothing more either.
        if (c.kind == Fault::KilledBeforeMove)
            platform.failRemoves(save_, io);
        Player player(platform, {save_, 0, kDefaultCacheBytes});
        SavedAnswer answer = c.clip ? player.saveClip(candidates_, clips::isoText(start_),
                                                      clips::isoText(start_ + kRangeMillis))
                                    : player.saveFrame(card_.closed, kSavedFrame);
        EXPECT_EQ(answer.failure.refusal, Refusal::Unwritable) << answer.failure.text;
        EXPECT_EQ(answer.failure.error, c.kind == Fault::FullDisk ? OsError::DiskFull : io);
        EXPECT_EQ(answer.failure.path.rfind(save_, 0), 0u) << answer.failure.path;
        EXPECT_NE(answer.failure.text.find(c.clip ? ".avi" : ".jpg"), std::string::npos)
            << answer.failure.text;
        std::vector<std::string> left = filesIn(save_);
        if (c.kind == Fault::KilledBeforeMove)
            left.erase(std::remove_if(left.begin(), left.end(), isTemporary), left.end());
        EXPECT_EQ(left, std::vector<std::string>{});
    }
}

// Another program writes the save's first name while the save flushes its file: the save moves
// to the next name, and the other program's file stays as it wrote it.
TEST_F(PlayerSavingTest, ANameTakenMeanwhileIsNotReplaced) {
    const struct {
        const char* fault;
        bool clip;
        const char* extension;
    } cases[] = {
        {"a clip moved over a file written under its name meanwhile", true, ".avi"},
        {"a frame moved over a file written under its name meanwhile", false, ".jpg"},
    };
    const Bytes theirs = {'t', 'h', 'e', 'i', 'r', 's'};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fault);
        std::filesystem::remove_all(save_);
        kovra::test::FaultyPlatform platform;
        std::string taken;
        platform.afterFlush(FileReplacement::kTemporarySuffix, [&](const std::string& temporary) {
            std::string suffix =
                "." + std::to_string(platform.processId()) + FileReplacement::kTemporarySuffix;
            taken = temporary.substr(0, temporary.size() - suffix.size());
            kovra::test::writeAll(taken, theirs);
        });
        Player player(platform, {save_, 0, kDefaultCacheBytes});
        SavedAnswer answer = c.clip ? player.saveClip(candidates_, clips::isoText(start_),
                                                      clips::isoText(start_ + kRangeMillis))
                                    : player.saveFrame(card_.closed, kSavedFrame);
        ASSERT_EQ(answer.failure.refusal, Refusal::None) << answer.failure.text;
        ASSERT_FALSE(taken.empty()) << "no file was flushed";
        std::string stem = taken.substr(0, taken.size() - std::string(c.extension).size());
        EXPECT_EQ(answer.path, stem + "-2" + c.extension);
        EXPECT_TRUE(kovra::test::readAll(taken) == theirs);
        EXPECT_GT(kovra::test::readAll(answer.path).size(), theirs.size());
    }
}

} // namespace
} // namespace kovra::player::test
