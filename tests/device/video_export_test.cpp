// Export and repair between files as the command line runs them, in-process: who is blamed
// when a read or a write fails, what a second export reads, what the record in DEST vouches
// for, and where an export refuses to write.
#include "device/video_export.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "device/file_paths.h"
#include "device/file_replacement.h"
#include "device/video_copy.h"
#include "platform/names.h"
#include "testkit/faulty_platform.h"
#include "tests/support/bytes.h"
#include "tests/support/scratch_dir.h"

namespace kovra {
namespace {

using Bytes = std::vector<unsigned char>;
namespace fs = std::filesystem;

Bytes corpusVideo(const std::string& name) {
    return test::readAll(std::string(KOVRA_AVI_CORPUS) + "/" + name + ".avi");
}

// No temporary file of any process left anywhere below folder.
bool noTemporaryFiles(const fs::path& folder) {
    for (const auto& entry : fs::recursive_directory_iterator(folder))
        if (entry.path().string().find(FileReplacement::kTemporarySuffix) != std::string::npos)
            return false;
    return true;
}

// Counts the files below a folder that are opened: what a second export must leave alone.
class CountingPlatform final : public test::FaultyPlatform {
  public:
    std::string watched;
    int opens = 0;
    OsError open(const char* path, OpenMode mode, FileId& file) override {
        if (!watched.empty() && std::string(path).rfind(watched, 0) == 0)
            ++opens;
        return FaultyPlatform::open(path, mode, file);
    }
};

struct Fault {
    const char* name;
    const char* video; // a sound one is copied, a cut one repaired
    enum { BadSector, DiskFull, WriteError, Vanished } kind;
    OsError::Kind expected;
    bool sourceBlamed;
    bool readBefore = false; // the copy of a sound video read before, as an export's plan does
};

const Fault kFaults[] = {
    {"bad sector in a sound video", "sound_mars", Fault::BadSector, OsError::Other, true},
    {"bad sector in a cut video", "cut_in_frame", Fault::BadSector, OsError::Other, true},
    {"full disk, sound video", "sound_mars", Fault::DiskFull, OsError::DiskFull, false},
    {"full disk, cut video", "cut_in_frame", Fault::DiskFull, OsError::DiskFull, false},
    {"failing output, cut video", "cut_in_frame", Fault::WriteError, OsError::Other, false},
    {"source gone before the copy", "cut_in_frame", Fault::Vanished, OsError::NotFound, true},
    {"bad sector met by the copy alone", "sound_mars", Fault::BadSector, OsError::Other, true,
     true},
};

void arm(test::FaultyPlatform& platform, const Fault& fault, const std::string& source,
         const std::string& target) {
    switch (fault.kind) {
    case Fault::BadSector:
        return platform.failReads(source, 2000, OsError(OsError::Other, EIO));
    case Fault::DiskFull:
        return platform.failWrites(target, 3000);
    case Fault::WriteError:
        return platform.failWrites(target, 3000, OsError(OsError::Other, EIO));
    case Fault::Vanished:
        return platform.vanish(source);
    }
}

// Guards against a read error on the source reported as the output's (and the reverse), a
// full disk taken for a bad video, and a failed file left behind.
TEST(VideoExport, RepairBlamesTheFileThatFailed) {
    for (const Fault& fault : kFaults) {
        test::ScratchDir dir;
        test::FaultyPlatform platform;
        std::string in = dir.file("MOV0001.avi"), out = dir.file("out.avi");
        test::writeAll(in, corpusVideo(fault.video));
        VideoCopy read = inspectVideo(platform, in);
        arm(platform, fault, in, out);
        VideoCopy copy =
            writePlayable(platform, in, out, 0, fault.readBefore ? &read.report : nullptr);
        EXPECT_EQ(copy.error.kind(), fault.expected) << fault.name;
        EXPECT_EQ(copy.errorPath, fault.sourceBlamed ? in : out) << fault.name;
        EXPECT_EQ(copy.error.side(),
                  fault.sourceBlamed ? OsError::Side::Source : OsError::Side::Target)
            << fault.name;
        EXPECT_FALSE(copy.written) << fault.name;
        EXPECT_FALSE(test::fileExists(out)) << fault.name;
        EXPECT_TRUE(noTemporaryFiles(dir.path())) << fault.name;
    }
}

const ExportItem& named(const std::vector<ExportItem>& items, const std::string& name) {
    for (const ExportItem& item : items)
        if (item.relative == "DCIM/" + name + ".avi")
            return item;
    static const ExportItem none;
    ADD_FAILURE() << name << " not exported";
    return none;
}

struct Card {
    test::ScratchDir dir;
    std::string card = dir.file("card"), dest = dir.file("dest");
    Card(std::initializer_list<const char*> videos) {
        fs::create_directories(fs::path(card) / "DCIM");
        for (const char* name : videos)
            test::writeAll(card + "/DCIM/" + name + ".avi", corpusVideo(name));
    }
    // Runs a whole export; the items as they ended.
    std::vector<ExportItem> run(Platform& platform, ExportRefusal expected = ExportRefusal::None) {
        VideoExport exporter(platform, card, dest, false);
        OsError error;
        EXPECT_EQ(exporter.prepare(error), expected);
        if (expected != ExportRefusal::None)
            return {};
        exporter.plan();
        for (ExportItem& item : exporter.items())
            exporter.run(item);
        EXPECT_EQ(exporter.finish(), OsError::None);
        return exporter.items();
    }
};

// Guards against the same faults met by an export: the one video failed, named with its side.
TEST(VideoExport, ExportBlamesTheFileThatFailed) {
    for (const Fault& fault : kFaults) {
        Card card({fault.video});
        test::FaultyPlatform platform;
        // Named as the export names them, in the system's own form.
        std::string relative = std::string("DCIM/") + fault.video + ".avi";
        std::string source = joinPath(card.card, relative);
        arm(platform, fault, source, joinPath(card.dest, relative));
        std::vector<ExportItem> items = card.run(platform);
        ASSERT_EQ(items.size(), 1u) << fault.name;
        EXPECT_EQ(items[0].action, ExportAction::Fail) << fault.name;
        EXPECT_EQ(items[0].error.kind(), fault.expected) << fault.name;
        EXPECT_EQ(items[0].errorPath == source, fault.sourceBlamed) << fault.name;
        EXPECT_TRUE(noTemporaryFiles(card.dest)) << fault.name;
    }
}

// The names the record in dest holds now.
std::vector<std::string> recordedNames(Platform& platform, const std::string& dest,
                                       const std::vector<ExportItem>& items) {
    ExportRecord record;
    record.load(platform, dest);
    std::vector<std::string> names;
    for (const ExportItem& item : items)
        if (record.find(item.relative))
            names.push_back(item.relative);
    return names;
}

// Each copy's flush runs while the next copy is written: a flush that fails, or a record that
// cannot be saved, at any place in the run. Guards against a failure said against another file
// or out of order, a record that names a copy before it is there or one that failed (or not
// once it is said), and a failed copy left behind.
TEST(VideoExport, AFlushBehindTheCopiesIsSaidAgainstItsOwnFile) {
    struct Case {
        const char* name;
        const char* failing; // the part of the path whose flush fails
        OsError::Kind expected;
    } cases[] = {
        {"the first copy's flush fails", "DCIM/V01.avi", OsError::Other},
        {"a middle copy's flush fails", "DCIM/V05.avi", OsError::Other},
        // Past the copies a run keeps waiting for the storage: named with others, later.
        {"a copy's flush fails far into the run", "DCIM/V10.avi", OsError::Other},
        {"the last copy's flush fails", "DCIM/V12.avi", OsError::Other},
        {"every record save fails", ExportRecord::kFileName, OsError::None},
    };
    const char* videos[] = {"sound_mars", "cut_in_frame", "no_index", "cut_in_frame"};
    constexpr std::size_t kVideos = 12;
    for (const Case& c : cases) {
        Card card({});
        for (std::size_t i = 0; i < kVideos; ++i) {
            char name[16];
            std::snprintf(name, sizeof name, "V%02zu.avi", i + 1);
            test::writeAll(card.card + "/DCIM/" + name, corpusVideo(videos[i % 4]));
        }
        test::FaultyPlatform platform;
        // The platform sees the system's own paths, whose separator on Windows is a backslash.
        std::string failingPath = c.failing;
        std::replace(failingPath.begin(), failingPath.end(), '/', pathSeparator());
        platform.failFlushes(failingPath, OsError(OsError::Other, EIO));
        VideoExport exporter(platform, card.card, card.dest, false);
        OsError error;
        ASSERT_EQ(exporter.prepare(error), ExportRefusal::None);
        exporter.plan();
        std::vector<ExportItem>& items = exporter.items();
        ASSERT_EQ(items.size(), kVideos);
        std::vector<std::string> said, exported;
        auto say = [&](const std::vector<ExportItem*>& finished) {
            for (const ExportItem* item : finished) {
                said.push_back(item->relative);
                bool failed = item->relative.find(c.failing) != std::string::npos;
                EXPECT_EQ(item->action == ExportAction::Fail, failed) << c.name << item->relative;
                if (failed) {
                    EXPECT_EQ(item->error.kind(), c.expected) << c.name;
                    EXPECT_EQ(item->errorPath, item->target) << c.name;
                    EXPECT_FALSE(fs::exists(item->target)) << c.name;
                } else {
                    EXPECT_TRUE(fs::exists(item->target)) << c.name << item->relative;
                    exported.push_back(item->relative);
                }
                // What the record names when an item is said: every copy said so far, and
                // beside them only copies in place (named together, said next).
                if (c.expected != OsError::None) {
                    std::vector<std::string> recorded = recordedNames(platform, card.dest, items);
                    for (const std::string& name : exported)
                        EXPECT_NE(std::find(recorded.begin(), recorded.end(), name), recorded.end())
                            << c.name << ": " << name << " when " << item->relative << " is said";
                    for (const std::string& name : recorded)
                        EXPECT_TRUE(name.find(c.failing) == std::string::npos &&
                                    fs::exists(joinPath(card.dest, name)))
                            << c.name << ": " << name << " when " << item->relative << " is said";
                }
            }
        };
        for (ExportItem& item : items)
            say(exporter.write(item));
        say(exporter.settle());
        std::vector<std::string> inOrder;
        for (const ExportItem& item : items)
            inOrder.push_back(item.relative);
        EXPECT_EQ(said, inOrder) << c.name;
        OsError finished = exporter.finish();
        EXPECT_EQ(finished == OsError::None, c.expected != OsError::None) << c.name;
        EXPECT_TRUE(noTemporaryFiles(card.dest)) << c.name;
    }
}

// Guards against a second export that reads the card's videos again to learn what it wrote,
// and against a record that is lost, damaged or out of date ever causing a wrong skip.
TEST(VideoExport, TheRecordSparesASecondExportEveryRead) {
    Card card({"sound_mars", "cut_in_frame", "no_index", "cut_in_hdrl"});
    CountingPlatform platform;
    std::vector<ExportItem> first = card.run(platform);
    ASSERT_EQ(first.size(), 4u);
    EXPECT_EQ(named(first, "cut_in_hdrl").action, ExportAction::Fail);
    EXPECT_TRUE(named(first, "cut_in_hdrl").keptAsIs);
    EXPECT_EQ(named(first, "cut_in_frame").action, ExportAction::Repair);
    EXPECT_EQ(named(first, "sound_mars").action, ExportAction::Export);

    platform.watched = card.card;
    std::vector<ExportItem> second = card.run(platform);
    for (const char* name : {"cut_in_frame", "no_index", "sound_mars"})
        EXPECT_EQ(named(second, name).action, ExportAction::Skip) << name;
    // The video that cannot be played is read (it is in no record), the others are not.
    EXPECT_EQ(platform.opens, 1);
    // Guards against a record written again, and flushed, where nothing changed: on a USB stick
    // its flushes cost more than the rest of such an export.
    test::FaultyPlatform full;
    full.failWrites(ExportRecord::kFileName, 0);
    card.run(full);

    std::string record = card.dest + "/" + ExportRecord::kFileName;
    std::string cut = card.dest + "/DCIM/cut_in_frame.avi";
    Bytes repaired = test::readAll(cut);
    struct Case {
        const char* name;
        std::function<void()> change;
        ExportAction expected;
    } cases[] = {
        {"record lost: the videos are looked at again", [&] { fs::remove(record); },
         ExportAction::Skip},
        {"record damaged", [&] { test::writeAll(record, test::hexBytes("6B 6F 76 00 FF 0A")); },
         ExportAction::Skip},
        {"target changed since (another time)",
         [&] { fs::last_write_time(cut, fs::last_write_time(cut) - std::chrono::hours(1)); },
         ExportAction::Repair},
        {"target cut short with its time kept",
         [&] {
             auto time = fs::last_write_time(cut);
             fs::resize_file(cut, 100);
             fs::last_write_time(cut, time);
         },
         ExportAction::Repair},
        {"source changed since",
         [&] {
             std::string source = card.card + "/DCIM/cut_in_frame.avi";
             fs::last_write_time(source, fs::last_write_time(source) + std::chrono::hours(1));
         },
         ExportAction::Repair},
    };
    for (const Case& c : cases) {
        c.change();
        EXPECT_EQ(named(card.run(platform), "cut_in_frame").action, c.expected) << c.name;
        EXPECT_EQ(test::readAll(cut), repaired) << c.name;
        EXPECT_EQ(named(card.run(platform), "cut_in_frame").action, ExportAction::Skip)
            << c.name << ": recorded again";
    }
}

// Guards against an export that writes into the folder it reads: the card's videos replaced
// by their copies, or every video found again in DEST.
TEST(VideoExport, RefusesToWriteWhereItReads) {
    Card card({"sound_mars"});
    Platform& platform = systemPlatform();
    std::string video = card.card + "/DCIM/sound_mars.avi";
    Bytes before = test::readAll(video);
    struct Case {
        std::string dest;
        FolderRelation relation;
    } cases[] = {
        {card.card, FolderRelation::Same},
        {card.card + "/./", FolderRelation::Same},
        {card.card + "/DCIM/../DCIM/..", FolderRelation::Same},
        {card.card + "/DCIM", FolderRelation::Inside},
        {card.card + "/DCIM/not-yet/deeper", FolderRelation::Inside},
        {card.dir.path().string(), FolderRelation::Holds},
        {card.dest, FolderRelation::Apart},
    };
    for (const Case& c : cases)
        EXPECT_EQ(relationOf(platform, c.dest, card.card), c.relation) << c.dest;
    std::error_code noLinks;
    fs::create_directory_symlink(card.card, card.dir.file("link"), noLinks);
    if (!noLinks) {
        EXPECT_EQ(relationOf(platform, card.dir.file("link"), card.card), FolderRelation::Same);
    }

    VideoExport intoCard(platform, card.card, card.card + "/DCIM", false);
    OsError error;
    EXPECT_EQ(intoCard.prepare(error), ExportRefusal::DestInsideSource);
    EXPECT_EQ(test::readAll(video), before);
    EXPECT_FALSE(fs::exists(card.card + "/DCIM/.kovra-export.lock"));
}

// Guards against two exports into one DEST at once, which shared their temporary files.
TEST(VideoExport, OneExportAtATimeWritesIntoADestination) {
    Card card({"sound_mars"});
    Platform& platform = systemPlatform();
    VideoExport first(platform, card.card, card.dest, false),
        second(platform, card.card, card.dest, false);
    OsError error;
    ASSERT_EQ(first.prepare(error), ExportRefusal::None);
    EXPECT_EQ(second.prepare(error), ExportRefusal::DestInUse);
    VideoExport dry(platform, card.card, card.dest, true);
    EXPECT_EQ(dry.prepare(error), ExportRefusal::None) << "a dry run writes nothing";
}

// Guards against a record that loses a name with spaces, newlines or bytes that are not text,
// and against one cut short or tampered with being believed.
TEST(VideoExport, TheRecordKeepsEveryNameAndBelievesOnlyAWholeOne) {
    ExportRecord record;
    const std::string names[] = {"DCIM/MOV0001.avi", "DCIM/with space %20.avi",
                                 std::string("DCIM/line\nbreak\x1b[31m\xff.avi")};
    for (std::size_t i = 0; i < 3; ++i)
        record.note(names[i], {100 + i, -5, 200 + i, 1700000000});
    ExportRecord back;
    ASSERT_TRUE(back.parse(record.text()));
    for (std::size_t i = 0; i < 3; ++i) {
        const ExportedVideo* video = back.find(names[i]);
        ASSERT_NE(video, nullptr) << i;
        EXPECT_EQ(video->sourceSize, 100 + i);
        EXPECT_EQ(video->sourceModified, -5);
        EXPECT_EQ(video->targetSize, 200 + i);
    }
    std::string whole = record.text();
    const std::string damaged[] = {
        whole.substr(0, whole.size() / 2),                 // cut short
        whole.substr(0, whole.rfind("end")),               // its last line lost
        "kovra-export 2" + whole.substr(whole.find('\n')), // a later format
        whole + "1 2 3 4 DCIM/extra.avi\n",                // a line after the end
        std::string("kovra-export 1\n1 2 3 x DCIM/a.avi\nend 1\n"),
        std::string("kovra-export 1\n1 2 3 4 DCIM/a.avi %zz\nend 1\n"),
        std::string("kovra-export 1\n99999999999999999999 2 3 4 DCIM/a.avi\nend 1\n"),
        std::string("kovra-export 1\n1 2 3 4 DCIM/a.avi\n1 2 3 4 DCIM/a.avi\nend 2\n"),
    };
    for (const std::string& text : damaged) {
        ExportRecord read;
        EXPECT_FALSE(read.parse(text)) << text;
        EXPECT_EQ(read.size(), 0u) << text;
    }
}

} // namespace
} // namespace kovra
