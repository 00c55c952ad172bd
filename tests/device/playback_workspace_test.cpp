// Playback preparation on real folders through the real file calls (POSIX natively, Win32
// under Wine). Only the temporary folder's name is scripted, and the shell's "open" is a log.
#include "device/playback_workspace.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "device/file_paths.h"
#include "device/file_replacement.h"
#include "device/video_copy.h"
#include "platform/file.h"
#include "platform/names.h"
#include "testkit/shell_log_platform.h"
#include "tests/support/bytes.h"
#include "tests/support/scratch_dir.h"

namespace kovra {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<unsigned char>;
using test::firstDifference;
using test::sampleVideo;

// What ends a folder's name here: '\' on Windows, '/' on POSIX.
const std::string kSeparator(1, pathSeparator());

// Logs every call that could change a file; can refuse some of them.
class PlaybackPlatform : public test::ShellLogPlatform {
  public:
    std::vector<std::string> fileCalls;    // "copy", "open", "remove" with their paths
    std::set<std::string> held;            // names whose deletion fails as if a player held them
    std::vector<std::string> extraMatches; // names the enumeration reports besides the real
    bool refuseOpen = false;
    bool refuseSeek = false;
    OsError copyRangeFailure = OsError::None; // as a full disk fails the copy into a file

    OsError open(const char* path, OpenMode mode, FileId& file) override {
        fileCalls.push_back(std::string("open ") + path);
        return refuseOpen ? OsError::AccessDenied : real_.open(path, mode, file);
    }
    OsError seek(FileId file, std::uint32_t offset) override {
        return refuseSeek ? OsError::Other : real_.seek(file, offset);
    }
    OsError copy(const char* source, const char* target) override {
        fileCalls.push_back(std::string("copy ") + source + " " + target);
        return ShellLogPlatform::copy(source, target);
    }
    OsError copyRange(FileId from, std::uint64_t offset, FileId to, std::uint64_t size) override {
        if (copyRangeFailure != OsError::None)
            return copyRangeFailure;
        return real_.copyRange(from, offset, to, size);
    }
    OsError remove(const char* path) override {
        fileCalls.push_back(std::string("remove ") + path);
        std::string name = baseName(path);
        return held.count(name) ? OsError::SharingViolation : real_.remove(path);
    }
    OsError forEachMatch(const char* pattern,
                         const std::function<void(const char* name)>& visit) override {
        OsError result = real_.forEachMatch(pattern, visit);
        for (const std::string& name : extraMatches)
            visit(name.c_str());
        return result;
    }
};

Bytes corpusVideo(const std::string& name) {
    return test::readAll(std::string(KOVRA_AVI_CORPUS) + "/" + name + ".avi");
}

Bytes withSignature(Bytes bytes, const char* signature) {
    std::copy(signature, signature + 4, bytes.begin());
    return bytes;
}

std::vector<std::string> filesIn(const fs::path& dir) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

class Playback : public ::testing::Test {
  protected:
    Playback() {
        platform.tempAnswer = temp.path().string() + kSeparator;
        workspace.prepareTempDir();
    }

    Bytes putVideo(const std::string& name, const Bytes& bytes) {
        test::writeAll(card.file(name), bytes);
        return bytes;
    }
    PlayOutcome play(const std::string& name, bool device) {
        return workspace.play(card.file(name).c_str(), name.c_str(), device);
    }
    // The copy's name as the shell is given it.
    std::string copyName(const std::string& name) const {
        return *platform.tempAnswer + "~mr" + name;
    }
    Bytes cardBytes(const std::string& name) const { return test::readAll(card.file(name)); }
    Bytes copyBytes(const std::string& name) const {
        return test::readAll(temp.file("~mr" + name));
    }

    test::ScratchDir temp, card;
    PlaybackPlatform platform;
    PlaybackWorkspace workspace{platform};
};

struct SignatureCase {
    const char* label;
    std::string name;
    Bytes bytes;
    PlayOutcome outcome; // with a device
    const char* patched; // the signature the prepared file shows; nullptr: unchanged
    Bytes prepared() const { return patched ? withSignature(bytes, patched) : bytes; }
};

std::vector<SignatureCase> signatureCases() {
    return {
        {"MARS", "MOV0001.avi", sampleVideo("MARS"), PlayOutcome::Opened, "RIFF"},
        {"RIFF", "MOV0002.avi", sampleVideo("RIFF"), PlayOutcome::Opened, nullptr},
        {"RIFX", "MOV0003.avi", sampleVideo("RIFX"), PlayOutcome::Rejected, nullptr},
        {"lower-case mars", "MOV0004.avi", sampleVideo("mars"), PlayOutcome::Rejected, nullptr},
        {"MARs", "MOV0005.avi", sampleVideo("MARs"), PlayOutcome::Rejected, nullptr},
        {"three bytes MAR", "MOV0006.avi", sampleVideo("MAR", 3), PlayOutcome::Rejected, nullptr},
        {"empty", "MOV0007.avi", Bytes{}, PlayOutcome::Rejected, nullptr},
    };
}

// With a device the card's file is never written, whatever its signature and however often
// it is played; only a "MARS" copy is patched, only in its first four bytes; a rejected copy
// is left behind and opened unchanged by the next Play.
TEST_F(Playback, WithDeviceOnlyTheCopyChanges) {
    for (const SignatureCase& c : signatureCases()) {
        SCOPED_TRACE(c.label);
        const std::string& name = c.name;
        Bytes original = putVideo(name, c.bytes);
        EXPECT_EQ(play(name, true), c.outcome);
        EXPECT_EQ(firstDifference(cardBytes(name), original), "");
        ASSERT_TRUE(test::fileExists(temp.file("~mr" + name)));
        EXPECT_EQ(firstDifference(copyBytes(name), c.prepared()), "");
        std::vector<std::string> opened;
        if (c.outcome == PlayOutcome::Opened)
            opened.push_back(copyName(name));
        EXPECT_EQ(platform.opened, opened);

        EXPECT_EQ(play(name, true), PlayOutcome::Opened);
        EXPECT_EQ(firstDifference(cardBytes(name), original), "");
        EXPECT_EQ(firstDifference(copyBytes(name), c.prepared()), "");
        opened.push_back(copyName(name));
        EXPECT_EQ(platform.opened, opened);
        platform.opened.clear();
    }
}

// A second Play opens the existing copy without copying, even when the card's file changed;
// after a cleanup the next Play copies afresh.
TEST_F(Playback, CopyLivesUntilTheNextCleanup) {
    Bytes first = putVideo("MOV0001.avi", sampleVideo("MARS"));
    ASSERT_EQ(play("MOV0001.avi", true), PlayOutcome::Opened);
    Bytes second = putVideo("MOV0001.avi", sampleVideo("MARS", 500));
    ASSERT_EQ(play("MOV0001.avi", true), PlayOutcome::Opened);
    EXPECT_EQ(platform.copies, 1);
    EXPECT_EQ(firstDifference(copyBytes("MOV0001.avi"), withSignature(first, "RIFF")), "");

    workspace.cleanup();
    EXPECT_FALSE(test::fileExists(temp.file("~mrMOV0001.avi")));
    ASSERT_EQ(play("MOV0001.avi", true), PlayOutcome::Opened);
    EXPECT_EQ(platform.copies, 2);
    EXPECT_EQ(firstDifference(copyBytes("MOV0001.avi"), withSignature(second, "RIFF")), "");
    EXPECT_EQ(platform.opened, std::vector<std::string>(3, copyName("MOV0001.avi")));
}

// Without a device the chosen file itself is checked, patched and opened; nothing is copied
// and nothing is ever rejected.
TEST_F(Playback, WithoutDeviceTheChosenFileIsPatched) {
    for (const SignatureCase& c : signatureCases()) {
        SCOPED_TRACE(c.label);
        putVideo(c.name, c.bytes);
        EXPECT_EQ(play(c.name, false), PlayOutcome::Opened);
        EXPECT_EQ(firstDifference(cardBytes(c.name), c.prepared()), "");
        EXPECT_EQ(platform.opened, std::vector<std::string>{card.file(c.name)});
        platform.opened.clear();
    }
    EXPECT_EQ(platform.copies, 0);
    EXPECT_TRUE(filesIn(temp.path()).empty());
}

// Whether Play's copy of a real recorder video is the repair's bytes or, copied as it is, the
// video's own with "RIFF".
const std::pair<const char*, bool> kVideos[] = {
    // A sound recording rewritten rather than copied.
    {"sound_mars", false},
    // A sound "RIFF" video changed at all.
    {"sound_riff", false},
    // A power cut inside a frame: no index, stale sizes, the last frame cut in half.
    {"cut_in_frame", true},
    // The sizes and counts a recording leaves zero until it is closed.
    {"sizes_zeroed", true},
    // An index cut off by the end of the file.
    {"cut_in_index", true},
    // The copy made ahead kept past the gap where the bytes in place end.
    {"garbage_between_chunks", true},
    // A second RIFF after the first taken for a closed recording.
    {"avix_part", true},
    // A closed recording read through (as every sound one then would be) for a header field.
    {"avih_streams_200", false},
    // Unreadable (a header cut short) refused rather than copied and patched.
    {"cut_in_hdrl", false},
};

// What kovra-cli repair writes for the video.
Bytes repairOf(const std::string& video, const test::ScratchDir& dir) {
    std::string out = dir.file("repaired-" + baseName(video));
    EXPECT_TRUE(writePlayable(systemPlatform(), video, out, 0).written) << video;
    return test::readAll(out);
}

// With a device the player gets the repair of a video a power cut left unclosed and a closed
// one's own bytes with "RIFF", nothing else stays in the temporary folder, the card's file is
// never written,
// and a second Play opens the copy whatever became of the card's file. Without a device the
// chosen file is only patched in place, never repaired there.
TEST_F(Playback, CopyOfARecorderVideo) {
    test::ScratchDir repairs;
    for (const auto& [video, repaired] : kVideos) {
        SCOPED_TRACE(video);
        std::string name = std::string(video) + ".avi";
        Bytes original = putVideo(name, corpusVideo(video));
        Bytes patched = withSignature(original, "RIFF");
        Bytes expected = repaired ? repairOf(card.file(name), repairs) : patched;
        int copies = platform.copies;
        PlaybackWorkspace::Prepared prepared;
        ASSERT_TRUE(workspace.prepare(card.file(name).c_str(), name.c_str(), true, prepared));
        EXPECT_EQ(prepared.path.c_str(), copyName(name));
        EXPECT_EQ(prepared.repaired, repaired);
        EXPECT_EQ(platform.copies - copies, repaired ? 0 : 1);
        EXPECT_EQ(firstDifference(copyBytes(name), expected), "");
        EXPECT_EQ(filesIn(temp.path()), std::vector<std::string>{"~mr" + name});
        EXPECT_EQ(firstDifference(cardBytes(name), original), "");

        putVideo(name, sampleVideo("MARS", 100));
        EXPECT_EQ(play(name, true), PlayOutcome::Opened);
        EXPECT_EQ(firstDifference(copyBytes(name), expected), "");
        workspace.cleanup();

        putVideo(name, original);
        EXPECT_EQ(play(name, false), PlayOutcome::Opened);
        EXPECT_EQ(firstDifference(cardBytes(name), patched), "");
    }
}

// Guards against a copy cut short by a failed write left under the copy's name, where the
// next Play would open it as if it were whole.
TEST_F(Playback, FailedRepairLeavesNoCopy) {
    putVideo("MOV0001.avi", corpusVideo("cut_in_frame"));
    platform.copyRangeFailure = OsError(OsError::DiskFull).on(OsError::Side::Target);
    EXPECT_EQ(play("MOV0001.avi", true), PlayOutcome::Rejected);
    EXPECT_TRUE(filesIn(temp.path()).empty());
    platform.copyRangeFailure = OsError::None;
    EXPECT_EQ(play("MOV0001.avi", true), PlayOutcome::Opened);
    EXPECT_EQ(platform.opened, std::vector<std::string>{copyName("MOV0001.avi")});
}

// The repair's temporary name is longer than the copy's: where the ANSI calls could not
// address it the copy is made as before, patched, rather than refused.
TEST_F(Playback, TemporaryNameAtThePathLimit) {
    Bytes original = putVideo("MOV0001.avi", corpusVideo("cut_in_frame"));
    std::string source = card.file("MOV0001.avi");
    std::size_t room = PlaybackWorkspace::kMaxCopyPathLength - platform.tempAnswer->size() -
                       FileReplacement::temporaryPathFor("~mr", platform.processId()).size();
    for (const std::string& name : {std::string(room, 'v'), std::string(room + 1, 'v')}) {
        bool fits = name.size() == room;
        PlaybackWorkspace::Prepared prepared;
        ASSERT_TRUE(workspace.prepare(source.c_str(), name.c_str(), true, prepared));
        EXPECT_EQ(prepared.repaired, fits);
        test::ScratchDir repairs;
        EXPECT_EQ(firstDifference(copyBytes(name), fits ? repairOf(source, repairs)
                                                        : withSignature(original, "RIFF")),
                  "");
    }
}

// An earlier copy is opened without a device too, and the chosen file is then not touched.
TEST_F(Playback, WithoutDeviceAnEarlierCopyIsOpened) {
    Bytes original = putVideo("MOV0001.avi", sampleVideo("MARS"));
    test::writeAll(temp.file("~mrMOV0001.avi"), sampleVideo("RIFX"));
    EXPECT_EQ(play("MOV0001.avi", false), PlayOutcome::Opened);
    EXPECT_EQ(platform.opened, std::vector<std::string>{copyName("MOV0001.avi")});
    EXPECT_EQ(firstDifference(cardBytes("MOV0001.avi"), original), "");
    EXPECT_EQ(firstDifference(copyBytes("MOV0001.avi"), sampleVideo("RIFX")), "");
}

// A folder given without its separator gets one, at start-up and again before each use, so
// the copy lands inside the folder and not beside it under a joined name.
TEST_F(Playback, TemporaryFolderGetsItsSeparator) {
    std::string bare = temp.path().string();
    platform.tempAnswer = bare;
    workspace.prepareTempDir();
    EXPECT_EQ(workspace.tempDir().c_str(), bare + kSeparator);

    putVideo("MOV0001.avi", sampleVideo("MARS"));
    workspace.tempDir().assign(bare.c_str());
    ASSERT_EQ(play("MOV0001.avi", true), PlayOutcome::Opened);
    EXPECT_EQ(filesIn(temp.path()), std::vector<std::string>{"~mrMOV0001.avi"});
    EXPECT_FALSE(test::fileExists(bare + "~mrMOV0001.avi"));
    EXPECT_EQ(platform.opened, std::vector<std::string>{bare + kSeparator + "~mrMOV0001.avi"});

    workspace.tempDir().assign(bare.c_str());
    workspace.cleanup();
    EXPECT_TRUE(filesIn(temp.path()).empty());
}

// The separator is added once, never doubled, and never where it would not fit.
TEST(PlaybackTempDir, EnsureTrailingSeparator) {
    PlaybackWorkspace::TempDir dir;
    EXPECT_FALSE(PlaybackWorkspace::ensureTrailingSeparator(dir));
    EXPECT_TRUE(dir.empty());

    struct Case {
        std::string given, ended;
        const char* fault;
    } cases[] = {
        {"C:\\Temp\\", isPathSeparator('\\') ? "C:\\Temp\\" : "C:\\Temp\\/",
         "a '\\' taken for a separator on POSIX: the copy would be \"Temp\\~mr...\" beside it"},
        {"/tmp", "/tmp" + kSeparator, "the copy's name joined to the folder's"},
    };
    for (const Case& c : cases) {
        dir.assign(c.given.c_str());
        EXPECT_TRUE(PlaybackWorkspace::ensureTrailingSeparator(dir)) << c.fault;
        EXPECT_EQ(dir.c_str(), c.ended) << c.fault;
    }

    std::string full(dir.maxLength(), 'a');
    dir.assign(full.c_str());
    EXPECT_FALSE(PlaybackWorkspace::ensureTrailingSeparator(dir));
    EXPECT_EQ(dir.c_str(), full);
    full.pop_back();
    dir.assign(full.c_str());
    EXPECT_TRUE(PlaybackWorkspace::ensureTrailingSeparator(dir));
    EXPECT_EQ(dir.c_str(), full + kSeparator);
}

// Makes a folder the current one for a test's duration.
class CurrentFolder {
  public:
    explicit CurrentFolder(const fs::path& dir) : saved_(fs::current_path()) {
        fs::current_path(dir);
    }
    ~CurrentFolder() { fs::current_path(saved_); }

  private:
    fs::path saved_;
};

// No temporary folder: names built from it would be relative to the current folder, so
// nothing there is deleted or opened; with a device nothing is copied and the card's file is
// not touched; without one the chosen file is patched as usual.
TEST_F(Playback, NoTemporaryFolder) {
    test::ScratchDir current;
    CurrentFolder inside(current.path());
    test::writeAll(current.file("~mrOLD.avi"), sampleVideo("RIFF"));
    test::writeAll(current.file("~mrMOV0001.avi"), sampleVideo("RIFF"));

    for (OsError error : {OsError::Other, OsError::None}) {
        SCOPED_TRACE(osErrorName(error));
        platform.tempError = error;
        platform.tempAnswer = "";
        Bytes original = putVideo("MOV0001.avi", sampleVideo("MARS"));
        platform.fileCalls.clear();
        platform.opened.clear();
        workspace.prepareTempDir();
        EXPECT_TRUE(workspace.tempDir().empty());

        workspace.cleanup();
        EXPECT_EQ(play("MOV0001.avi", true), PlayOutcome::Rejected);
        EXPECT_EQ(platform.fileCalls, std::vector<std::string>{});
        EXPECT_EQ(platform.opened, std::vector<std::string>{});
        EXPECT_EQ(firstDifference(cardBytes("MOV0001.avi"), original), "");

        EXPECT_EQ(play("MOV0001.avi", false), PlayOutcome::Opened);
        EXPECT_EQ(platform.opened, std::vector<std::string>{card.file("MOV0001.avi")});
        EXPECT_EQ(firstDifference(cardBytes("MOV0001.avi"), withSignature(original, "RIFF")), "");
        EXPECT_EQ(filesIn(current.path()),
                  (std::vector<std::string>{"~mrMOV0001.avi", "~mrOLD.avi"}));
    }
}

// A name or path longer than its buffer is refused before any file is touched: a cut name
// would be another file. Exactly full buffers are used whole.
TEST_F(Playback, OverlongNamesAreRefusedNotCut) {
    Bytes original = putVideo("MOV0001.avi", sampleVideo("MARS"));
    std::string longName(256, 'n');
    std::string longPath = temp.path().string() + kSeparator;
    longPath += std::string(256 - longPath.size(), 'p');
    for (bool device : {true, false}) {
        SCOPED_TRACE(device ? "device" : "no device");
        EXPECT_EQ(workspace.play(card.file("MOV0001.avi").c_str(), longName.c_str(), device),
                  PlayOutcome::Rejected);
        EXPECT_EQ(workspace.play(longPath.c_str(), "MOV0001.avi", device), PlayOutcome::Rejected);
        EXPECT_EQ(workspace.play(longPath.substr(0, 255).c_str(), "", device),
                  PlayOutcome::Rejected);
    }
    EXPECT_EQ(platform.fileCalls, std::vector<std::string>{});
    EXPECT_EQ(platform.opened, std::vector<std::string>{});

    // A temporary folder whose copy names come to 259 characters, the most the ANSI calls
    // address, and 260.
    std::string name(100, 'v');
    std::string dir = temp.path().string() + kSeparator;
    dir += std::string(259 - 3 - name.size() - dir.size() - 1, 'd') + kSeparator;
    ASSERT_EQ(platform.makeFolder(dir.c_str()), OsError::None);
    workspace.tempDir().assign(dir.c_str());
    std::string source = card.file("MOV0001.avi");
    ASSERT_EQ(workspace.play(source.c_str(), name.c_str(), true), PlayOutcome::Opened);
    std::string target = dir + "~mr" + name;
    EXPECT_EQ(target.size(), 259u);
    EXPECT_EQ(std::count(platform.fileCalls.begin(), platform.fileCalls.end(),
                         "copy " + source + " " + target),
              1);
    EXPECT_EQ(platform.opened, std::vector<std::string>{target});

    // Guards against a copy made where it can never be opened, patched or removed.
    platform.fileCalls.clear();
    name += 'v';
    EXPECT_EQ(workspace.play(source.c_str(), name.c_str(), true), PlayOutcome::Rejected);
    EXPECT_EQ(workspace.play(source.c_str(), name.c_str(), false), PlayOutcome::Rejected);
    EXPECT_EQ(platform.fileCalls, std::vector<std::string>{});
    EXPECT_EQ(firstDifference(cardBytes("MOV0001.avi"), original), "");
}

// Guards against a cut copy handed to the player, now or reused by a later Play.
TEST_F(Playback, FailedCopyLeavesNoCopy) {
    EXPECT_EQ(play("GONE.avi", true), PlayOutcome::Rejected);
    EXPECT_FALSE(test::fileExists(workspace.tempDir().c_str() + std::string("~mrGONE.avi")));
    EXPECT_EQ(play("GONE.avi", true), PlayOutcome::Rejected);
    EXPECT_EQ(platform.opened, std::vector<std::string>{});
}

// A file that cannot be opened is handed to the shell anyway; a failed seek must not let
// "RIFF" land after the signature.
TEST_F(Playback, OpenAndSeekFailures) {
    Bytes original = putVideo("MOV0001.avi", sampleVideo("MARS"));
    platform.refuseOpen = true;
    EXPECT_EQ(play("MOV0001.avi", false), PlayOutcome::Opened);
    platform.refuseOpen = false;
    platform.refuseSeek = true;
    EXPECT_EQ(play("MOV0001.avi", false), PlayOutcome::Opened);
    EXPECT_EQ(firstDifference(cardBytes("MOV0001.avi"), original), "");
    EXPECT_EQ(platform.opened, std::vector<std::string>(2, card.file("MOV0001.avi")));
}

// Cleanup deletes the ~mr*.avi files of the temporary folder, in any case, and the temporary
// files a Play cut short left of them (the copy's name, a process number), and nothing else:
// not other names, not folders or what they hold, not the card's files.
TEST_F(Playback, CleanupDeletesOnlyCopies) {
    for (const char* name :
         {"~mrA.avi", "~MRB.AVI", "~mr.avi", "~mrC.avi.txt", "mrD.avi", "x~mrE.avi", "~mrclip.avix",
          "MOV0001.avi", "~mrH.avi.123.kovra-tmp", "~MRI.AVI.7.KOVRA-TMP", "~mrJ.avi.kovra-tmp",
          "~mrK.avi.12x.kovra-tmp", "~mrL.txt.123.kovra-tmp", "MOV0002.avi.123.kovra-tmp"})
        test::writeAll(temp.file(name), {1});
    fs::create_directory(temp.path() / "~mrDir.avi");
    test::writeAll((temp.path() / "~mrDir.avi" / "~mrF.avi").string(), {1});
    test::writeAll(card.file("~mrG.avi"), {1});

    workspace.cleanup();
    EXPECT_EQ(filesIn(temp.path()),
              (std::vector<std::string>{"MOV0001.avi", "MOV0002.avi.123.kovra-tmp", "mrD.avi",
                                        "x~mrE.avi", "~mrC.avi.txt", "~mrDir.avi",
                                        "~mrJ.avi.kovra-tmp", "~mrK.avi.12x.kovra-tmp",
                                        "~mrL.txt.123.kovra-tmp", "~mrclip.avix"}));
    EXPECT_EQ(filesIn(temp.path() / "~mrDir.avi"), std::vector<std::string>{"~mrF.avi"});
    EXPECT_EQ(filesIn(card.path()), std::vector<std::string>{"~mrG.avi"});
}

// The enumeration may report names that only their 8.3 short form matches; those stay.
TEST_F(Playback, CleanupChecksTheLongName) {
    for (const char* name : {"~mrA.avi", "~mrclip.avix", "MOVIE~1.AVI"})
        test::writeAll(temp.file(name), {1});
    platform.extraMatches = {"~mrclip.avix", "MOVIE~1.AVI"};
    workspace.cleanup();
    EXPECT_EQ(filesIn(temp.path()), (std::vector<std::string>{"MOVIE~1.AVI", "~mrclip.avix"}));
}

// A copy whose deletion fails stays, and the cleanup goes on with the rest.
TEST_F(Playback, CleanupGoesOnPastAFailedDeletion) {
    for (const char* name : {"~mrA.avi", "~mrB.avi", "~mrC.avi"})
        test::writeAll(temp.file(name), {1});
    platform.held = {"~mrB.avi"};
    workspace.cleanup();
    EXPECT_EQ(filesIn(temp.path()), std::vector<std::string>{"~mrB.avi"});
}

} // namespace
} // namespace kovra
