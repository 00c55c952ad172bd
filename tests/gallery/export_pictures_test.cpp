// The gallery's pictures read while an export copies (PicturesAhead, gallery::ExportPictures),
// in-process: what the gallery takes from the thread is what its own reading would have been,
// a failure included, and nothing stands for a file that changed or is read again needlessly.
#include "gallery/export_pictures.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>

#include "device/file_paths.h"
#include "gallery/gallery_page.h"
#include "testkit/faulty_platform.h"
#include "tests/support/scratch_dir.h"

namespace kovra {
namespace {

std::string corpusVideo(const char* name) {
    return std::string(KOVRA_AVI_CORPUS) + "/" + name + ".avi";
}

// Picture for picture and byte for byte: the page and its files come out the same.
void expectSame(const VideoPictures& got, const VideoPictures& own) {
    EXPECT_EQ(got.error, own.error);
    EXPECT_EQ(got.report.state, own.report.state);
    EXPECT_EQ(got.report.frames, own.report.frames);
    ASSERT_EQ(got.cover.has_value(), own.cover.has_value());
    if (own.cover) {
        EXPECT_EQ(got.cover->bytes, own.cover->bytes);
    }
    EXPECT_EQ(got.coverRefused, own.coverRefused);
    ASSERT_EQ(got.strip.size(), own.strip.size());
    for (std::size_t i = 0; i < own.strip.size(); ++i) {
        ASSERT_EQ(got.strip[i].has_value(), own.strip[i].has_value()) << i;
        if (own.strip[i]) {
            EXPECT_EQ(got.strip[i]->bytes, own.strip[i]->bytes) << i;
        }
    }
    EXPECT_EQ(got.stripRefused, own.stripRefused);
}

TEST(PicturesAhead, HandsBackWhatTheGalleryWouldRead) {
    const struct {
        const char* name;
        const char* video;
        bool failRead;        // every read of it fails
        bool changed;         // it grows after its reading
        bool expectRead;      // the reading is handed over
        bool standIn = false; // read from its copy before the copy is named path
    } cases[] = {
        // Guards against the thread reading otherwise than the gallery does (sizes, strip).
        {"a closed video", "sound_mars", false, false, true},
        {"a video a power cut ended", "cut_in_frame", false, false, true},
        // Guards against a failure on the thread lost, or said otherwise than the gallery's own.
        {"a video whose reads fail", "sound_mars", true, false, true},
        // Guards against old pictures shown for a file written again since its reading.
        {"a video changed since", "sound_mars", false, true, false},
        // Guards against the copy read before its naming giving other pictures than the named
        // file.
        {"a copy read before it is named", "cut_in_frame", false, false, true, true},
        // Guards against a failed reading taken for the named file, whose size and time it was
        // only promised: the gallery reads it itself and says what it meets.
        {"a copy whose reads fail before it is named", "sound_mars", true, false, false, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        test::ScratchDir dir;
        std::string path = dir.file("MOV0001.avi");
        std::string copy = c.standIn ? dir.file("MOV0001.avi.tmp") : path;
        test::writeAll(copy, test::readAll(corpusVideo(c.video)));
        test::FaultyPlatform platform;
        if (c.failRead)
            platform.failReads("MOV0001", 0, OsError(OsError::Other, EIO));
        PicturesAhead ahead(platform);
        FileInfo becomes;
        ASSERT_EQ(platform.info(copy.c_str(), becomes), OsError::None);
        ASSERT_TRUE(c.standIn ? ahead.offer(path, copy, becomes) : ahead.offer(path));
        ahead.readAll();
        ahead.stop();
        if (c.standIn) {
            ASSERT_EQ(platform.replace(copy.c_str(), path.c_str()), OsError::None);
        }
        if (c.changed)
            test::writeAll(path, test::readAll(corpusVideo("cut_in_frame")));
        FileInfo now;
        ASSERT_EQ(platform.info(path.c_str(), now), OsError::None);
        std::optional<VideoPictures> got = ahead.take(path, now);
        ASSERT_EQ(got.has_value(), c.expectRead);
        if (got)
            expectSame(*got, readVideoPictures(platform, path));
        // Handed over once: what the gallery took is not held on.
        EXPECT_FALSE(ahead.take(path, now));
    }
}

// Guards against a second export reading again every video the gallery already shows (or the
// gallery looking at its pictures a second time), against one it does not show being left out,
// and against a video changed since the export looked taken as still shown.
TEST(ExportPictures, ReadsOnlyWhatTheEarlierGalleryDoesNotShow) {
    test::ScratchDir dir;
    std::string shown = dir.file("shown.avi"), fresh = dir.file("fresh.avi");
    for (const std::string& path : {shown, fresh})
        test::writeAll(path, test::readAll(corpusVideo("sound_mars")));
    Platform& platform = systemPlatform();
    std::string dest = dir.path().string();
    std::string folder = joinPath(dest, gallery::kPictureFolder);
    ASSERT_EQ(platform.makeFolder(folder.c_str()), OsError::None);
    FileInfo info;
    ASSERT_EQ(platform.info(shown.c_str(), info), OsError::None);
    gallery::GalleryVideo video;
    video.path = shown;
    video.size = info.size;
    video.modified = info.modified;
    gallery::GalleryRecord record;
    record.note(video);
    ASSERT_EQ(record.save(platform, folder), OsError::None);

    gallery::ExportPictures pictures(platform, dest);
    pictures.finished(shown);
    pictures.finished(fresh);
    pictures.readings().readAll();
    pictures.stop();
    gallery::PictureBatch batch(platform, folder);
    EXPECT_FALSE(pictures.take(shown, info, batch));
    EXPECT_TRUE(pictures.foundShown(shown, info));
    FileInfo grown = info;
    ++grown.size;
    EXPECT_FALSE(pictures.foundShown(shown, grown));
    ASSERT_EQ(platform.info(fresh.c_str(), info), OsError::None);
    EXPECT_TRUE(pictures.take(fresh, info, batch));
    EXPECT_FALSE(pictures.foundShown(fresh, info));
}

// A copy waiting for its name is read from its temporary file only where a file being read
// may still be moved. Guards against a reader on Windows holding the copy open, where its
// naming (or an interrupt's removal) would then fail and the copy be lost.
TEST(ExportPictures, ReadsACopyBeforeItsNameOnlyWhereAnOpenFileMoves) {
    class Platform final : public test::FaultyPlatform {
      public:
        bool moves = true;
        bool movesOpenFiles() const override { return moves; }
    };
    for (bool moves : {true, false}) {
        SCOPED_TRACE(moves ? "open files move" : "open files stay");
        test::ScratchDir dir;
        std::string target = dir.file("MOV0001.avi"), copy = dir.file("MOV0001.avi.tmp");
        test::writeAll(copy, test::readAll(corpusVideo("sound_mars")));
        Platform platform;
        platform.moves = moves;
        FileInfo becomes;
        ASSERT_EQ(platform.info(copy.c_str(), becomes), OsError::None);
        gallery::ExportPictures pictures(platform, dir.path().string());
        pictures.written(target, copy, becomes);
        pictures.readings().readAll();
        pictures.stop();
        gallery::PictureBatch batch(platform,
                                    joinPath(dir.path().string(), gallery::kPictureFolder));
        EXPECT_EQ(pictures.take(target, becomes, batch).has_value(), moves);
    }
}

// What an export's reading thread writes of a video's pictures ahead of its gallery: kept under
// temporary names until the gallery takes them, and removed whenever they are not to be named.
TEST(ExportPictures, PicturesWrittenAheadAreNamedOnlyByTheGallery) {
    class Platform final : public test::FaultyPlatform {
      public:
        std::atomic<bool> interruptNow{false};
        bool interrupted() override { return interruptNow; }
    };
    enum class Then { Taken, Changed, Interrupted, NoGallery };
    const struct {
        const char* name;
        Then then;
    } cases[] = {
        // Guards against the pictures written ahead lost on the way to their names.
        {"taken by the gallery", Then::Taken},
        // Guards against a video written again since its reading leaving its old pictures
        // under temporary names for ever.
        {"the video changed since", Then::Changed},
        // Guards against an interrupt while the copies go on leaving temporary files.
        {"interrupted while the copies go on", Then::Interrupted},
        // Guards against an export that writes no gallery leaving the pictures it wrote ahead,
        // or the folder it made for them.
        {"no gallery written", Then::NoGallery},
    };
    auto temporaries = [](const std::string& folder) {
        std::size_t count = 0;
        std::error_code gone;
        for (const auto& entry : std::filesystem::directory_iterator(folder, gone))
            count += entry.path().extension() == ".kovra-tmp";
        return count;
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        test::ScratchDir dir;
        std::string video = dir.file("MOV0001.avi");
        test::writeAll(video, test::readAll(corpusVideo("sound_mars")));
        std::string folder = joinPath(dir.path().string(), gallery::kPictureFolder);
        Platform platform;
        FileInfo info;
        ASSERT_EQ(platform.info(video.c_str(), info), OsError::None);
        std::optional<gallery::ShownVideo> shown;
        std::size_t written = 0;
        gallery::PictureBatch batch(platform, folder);
        {
            gallery::ExportPictures pictures(platform, dir.path().string());
            pictures.finished(video);
            pictures.readings().readAll();
            written = temporaries(folder); // a cover and a strip
            ASSERT_GT(written, 1u);
            if (c.then == Then::Interrupted) {
                platform.interruptNow = true;
                // A look at where it is, not a time it must keep.
                for (int look = 0; look < 500 && temporaries(folder) != 0; ++look)
                    std::this_thread::sleep_for(std::chrono::milliseconds(10));
                EXPECT_EQ(temporaries(folder), 0u);
            }
            pictures.stop();
            if (c.then == Then::Changed)
                info.size += 1;
            if (c.then != Then::NoGallery)
                shown = pictures.take(video, info, batch);
        }
        EXPECT_EQ(shown.has_value(), c.then == Then::Taken);
        EXPECT_EQ(temporaries(folder), c.then == Then::Taken ? written : 0u);
        EXPECT_EQ(std::filesystem::exists(folder), c.then == Then::Taken);
        if (shown) {
            std::string failed;
            ASSERT_EQ(batch.commit(failed), OsError::None);
            ASSERT_TRUE(shown->video.cover);
            EXPECT_TRUE(test::fileExists(joinPath(folder, shown->video.cover->name)));
            EXPECT_EQ(shown->picturesWritten, written);
            EXPECT_EQ(temporaries(folder), 0u);
        }
    }
}

} // namespace
} // namespace kovra
