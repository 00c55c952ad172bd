// Repair between two files, where the system copies the sources' bytes that the writer names,
// against the same repair in memory; and sources past 4 GiB.
#include "device/video_files.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "avi/video_reading.h"
#include "avi/writer.h"
#include "device/video_output.h"
#include "platform/forwarding_platform.h"
#include "tests/support/bytes.h"
#include "tests/support/scratch_dir.h"

namespace kovra {
namespace {

using Bytes = std::vector<unsigned char>;

// Sound, cut, garbage in the middle (pieces after a gap), indexed, refused.
const char* const kCorpusVideos[] = {
    "sound_mars",       "sound_riff",      "cut_in_frame",           "cut_in_chunk_header",
    "cut_in_index",     "cut_on_boundary", "garbage_between_chunks", "lying_chunk_size",
    "no_index",         "sizes_zeroed",    "zero_run_then_chunks",   "rec_lists",
    "absolute_index",   "avix_part",       "index_entry_outside",    "cut_in_hdrl",
    "avih_streams_200",
};

struct FileRepair {
    avi::WriteOutcome outcome;
    OsError written = OsError::Other;
    OsError committed = OsError::Other;
};

FileRepair repairFile(Platform& platform, const std::string& in, const std::string& out) {
    FileRepair repaired;
    VideoFileSource source(platform, in);
    FileReplacement file(platform, out);
    avi::VideoReading reading = avi::readVideo(source, avi::Chunks::Keep);
    VideoOutput sink(file, {&source});
    repaired.outcome = avi::writeRepair(reading, sink);
    repaired.written = file.writeError();
    if (repaired.outcome.written)
        repaired.committed = file.commit();
    return repaired;
}

// Guards against the file path writing other bytes than the memory path: pieces copied from
// the wrong offsets, header words patched at the wrong place, appends landing elsewhere.
TEST(VideoFiles, RepairBetweenFilesWritesWhatMemoryWrites) {
    Platform& platform = systemPlatform();
    test::ScratchDir dir;
    for (const char* name : kCorpusVideos) {
        Bytes video = test::readAll(std::string(KOVRA_AVI_CORPUS) + "/" + name + ".avi");
        ASSERT_FALSE(video.empty()) << name;
        avi::MemorySource memory(video);
        avi::MemoryOutput expected({&memory});
        avi::WriteOutcome inMemory =
            avi::writeRepair(avi::readVideo(memory, avi::Chunks::Keep), expected);

        std::string in = dir.file(std::string(name) + ".avi");
        std::string out = dir.file(std::string(name) + ".out.avi");
        test::writeAll(in, video);
        FileRepair repaired = repairFile(platform, in, out);
        EXPECT_EQ(repaired.outcome.written, inMemory.written) << name;
        EXPECT_EQ(repaired.outcome.size, inMemory.size) << name;
        if (!inMemory.written) {
            EXPECT_FALSE(test::fileExists(out)) << name;
            continue;
        }
        EXPECT_EQ(repaired.committed, OsError::None) << name;
        EXPECT_EQ(test::firstDifference(test::readAll(out), expected.bytes()), "") << name;
        EXPECT_EQ(test::readAll(in), video) << name << ": the source was written to";
    }
}

class FailingCopyPlatform final : public ForwardingPlatform {
  public:
    OsError copyRange(FileId, std::uint64_t, FileId, std::uint64_t) override {
        return OsError::ShortWrite; // a full disk
    }
};

// Guards against a copy that failed being taken for a written file, or leaving one behind.
TEST(VideoFiles, FailedCopyIsNotWrittenAndLeavesNothing) {
    FailingCopyPlatform platform;
    test::ScratchDir dir;
    for (const char* name : {"sound_mars", "cut_in_frame", "garbage_between_chunks"}) {
        std::string in = dir.file(std::string(name) + ".avi");
        std::string out = dir.file("out.avi");
        test::writeAll(in, test::readAll(std::string(KOVRA_AVI_CORPUS) + "/" + name + ".avi"));
        FileRepair repaired = repairFile(platform, in, out);
        EXPECT_FALSE(repaired.outcome.written) << name;
        EXPECT_EQ(repaired.written, OsError::ShortWrite) << name;
        EXPECT_FALSE(test::fileExists(out)) << name;
        EXPECT_FALSE(test::fileExists(FileReplacement::temporaryPathFor(out, platform.processId())))
            << name;
    }
}

// Guards against refusing a video past 4 GiB (an OpenDML recording on an exFAT card) before
// the reader has seen it, and against reads past 4 GiB losing their high bits.
TEST(VideoFiles, SourcePastFourGigabytesIsRead) {
    constexpr std::uint64_t kSize = 0x100000000ull + 0x1000;
    constexpr std::uint64_t kMarked = kSize - 8;
    Platform& platform = systemPlatform();
    test::ScratchDir dir;
    std::string path = dir.file("large.avi");
    FileId file;
    ASSERT_EQ(platform.open(path.c_str(), OpenMode::WriteTruncate, file), OsError::None);
    OsError grown = platform.setSize(file, kSize); // sparse: no gigabytes are written
    OsError marked = platform.writeAt(file, kMarked, "00dcMARK", 8);
    platform.close(file);
    if (grown != OsError::None)
        GTEST_SKIP() << "the file system holds no file past 4 GiB here";
    ASSERT_EQ(marked, OsError::None);

    VideoFileSource source(platform, path);
    ASSERT_EQ(source.openError(), OsError::None);
    EXPECT_EQ(source.size(), kSize);
    char bytes[8] = {};
    ASSERT_TRUE(source.readAt(kMarked, bytes, sizeof bytes));
    EXPECT_EQ(std::string(bytes, sizeof bytes), "00dcMARK");
    EXPECT_EQ(avi::inspect(source).state, avi::VideoState::Unreadable); // zeros: not an AVI
}

} // namespace
} // namespace kovra
