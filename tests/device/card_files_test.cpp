// The card's records as files, and the replacement every write goes through.
#include "device/card_files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <vector>

#include "device/file_paths.h"
#include "platform/file.h"
#include "platform/forwarding_platform.h"
#include "platform/names.h"
#include "tests/support/bytes.h"
#include "tests/support/scratch_dir.h"

namespace kovra {
namespace {

using test::hexBytes;
using test::readAll;
using test::toHex;

class CardFiles : public ::testing::Test {
  protected:
    test::ScratchDir dir;
    Platform& platform = systemPlatform();
};

ClockFields october2007() {
    ClockFields fields;
    fields.year = 2007;
    fields.month = 10;
    fields.day = 16;
    fields.hour = 8;
    fields.minute = 16;
    fields.second = 47;
    return fields;
}

// A card's name is joined and cut as the system parts paths: '\' is a separator on Windows
// only. Each case: what it gives on POSIX, on Windows, and the fault it guards against.
TEST(FilePaths, BackslashIsOnlyWindowsSeparator) {
    struct Case {
        std::string folder, name, posix, windows;
        const char* fault;
    } joins[] = {
        {"/media/card", "DCIM/..\\..\\x.avi", "/media/card/DCIM/..\\..\\x.avi",
         "/media/card/DCIM/..\\..\\x.avi", "a card's name rewritten on its way into DEST"},
        {"card\\one", "DCIM/a.avi", "card\\one/DCIM/a.avi", "card\\one\\DCIM\\a.avi",
         "a POSIX folder named with a '\\' taken for Windows' style"},
        {"/tmp\\", "a.avi", "/tmp\\/a.avi", "/tmp\\a.avi",
         "a POSIX folder ending in '\\' taken as ended: \"tmp\\a.avi\" beside it"},
        {"E:\\", "DCIM/a.avi", "E:\\/DCIM/a.avi", "E:\\DCIM\\a.avi",
         "a drive root given a second separator"},
    };
    bool windows = isPathSeparator('\\');
    for (const Case& c : joins)
        EXPECT_EQ(joinPath(c.folder, c.name), windows ? c.windows : c.posix) << c.fault;
    Case bases[] = {
        {"/card/DCIM/..\\..\\x.avi", "", "..\\..\\x.avi", "x.avi",
         "play's copy named after a part of the card's name"},
        {"E:\\DCIM\\MOV0001.avi", "", "E:\\DCIM\\MOV0001.avi", "MOV0001.avi",
         "Windows' paths no longer cut at '\\'"},
        {"/card/DCIM/MOV0001.avi", "", "MOV0001.avi", "MOV0001.avi", "a '/' path not cut"},
    };
    for (const Case& c : bases)
        EXPECT_EQ(baseName(c.folder), windows ? c.windows : c.posix) << c.fault;
}

// A save over a longer file must leave exactly the record, nothing of the old tail.
TEST_F(CardFiles, WritesReplaceALongerFile) {
    std::string config = dir.file("CONFIG.SYS"), clock = dir.file("TIME.txt");
    test::writeAll(config, std::vector<unsigned char>(100, 0xAA));
    test::writeAll(clock, std::vector<unsigned char>(64, 'x'));
    ASSERT_EQ(writeConfig(platform, config, RecorderSettings{}), OsError::None);
    ASSERT_EQ(writeClock(platform, clock, october2007()), OsError::None);
    EXPECT_EQ(toHex(readAll(config)), "00 00 08 00 14 00 14 00 14 01 00");
    EXPECT_EQ(toHex(readAll(clock)), "20 07 10 16 08 16 47");
    EXPECT_FALSE(test::fileExists(FileReplacement::temporaryPathFor(config, platform.processId())));
}

// A longer file is accepted: its first 11 bytes are the record, its length is told.
TEST_F(CardFiles, ReadTakesTheFirstElevenBytesOfALongerFile) {
    std::string path = dir.file("CONFIG.SYS");
    std::vector<unsigned char> bytes = hexBytes("01 01 14 00 0A 00 1E 00 28 00 03 EE EE EE");
    test::writeAll(path, bytes);
    RecorderSettings settings;
    ASSERT_TRUE(readConfig(platform, path.c_str(), settings));
    EXPECT_EQ(settings.maxCycleFiles, 40);
    EXPECT_EQ(settings.frameRate, 3);
    ConfigRecord::Bytes record{};
    EXPECT_EQ(readRecord(platform, path.c_str(), record.data(), record.size()).length, 14u);
    EXPECT_EQ(readAll(path), bytes) << "reading must not change the file";
}

// A missing, short or empty file must leave every field as it was (no garbage decoded).
TEST_F(CardFiles, MissingOrShortFileChangesNothing) {
    RecorderSettings before;
    before.maxCycleFiles = 1234;
    before.sensitivityStep = 33;
    for (std::size_t size : {0u, 1u, 10u}) {
        SCOPED_TRACE("size " + std::to_string(size));
        std::string path = dir.file("short" + std::to_string(size) + ".SYS");
        test::writeAll(path, std::vector<unsigned char>(size, 0x01));
        RecorderSettings settings = before;
        EXPECT_FALSE(readConfig(platform, path.c_str(), settings));
        EXPECT_EQ(ConfigRecord::encode(settings), ConfigRecord::encode(before));
        ConfigRecord::Bytes record{};
        RecordRead read = readRecord(platform, path.c_str(), record.data(), record.size());
        EXPECT_EQ(read.error, OsError::ShortRead);
        EXPECT_EQ(read.length, size);
    }
    RecorderSettings settings = before;
    EXPECT_FALSE(readConfig(platform, dir.file("absent.SYS").c_str(), settings));
    EXPECT_EQ(ConfigRecord::encode(settings), ConfigRecord::encode(before));
}

// What each reader of the records (the command line, the gallery, the server) is told a file
// holds. Each case: the file's bytes (none: no file), the state, and the fault it guards against.
TEST_F(CardFiles, RecordStatesAreDecidedInOnePlace) {
    struct Case {
        const char* name;
        const char* hex; // nullptr: no such file
        RecordState state;
        const char* fault;
    };
    const Case clocks[] = {
        {"TIME.txt", "20 07 10 16 08 16 47", RecordState::Read, "a sound record refused"},
        {"none.txt", nullptr, RecordState::Missing, "a missing file told as unreadable"},
        {"short.txt", "20 07 10 16 08 16", RecordState::WrongSize, "a short record decoded"},
        {"long.txt", "20 07 10 16 08 16 47 00", RecordState::WrongSize,
         "a clock record with a tail taken as one (the recorder reads exactly 7 bytes)"},
        {"hex.txt", "20 07 1A 16 08 16 47", RecordState::NotDigits, "0x1A read as a month"},
    };
    for (const Case& c : clocks) {
        std::string path = dir.file(c.name);
        if (c.hex)
            test::writeAll(path, hexBytes(c.hex));
        ClockRead read = readClockRecord(platform, path);
        EXPECT_EQ(read.state, c.state) << c.fault;
        if (c.state == RecordState::NotDigits) {
            EXPECT_EQ(read.badByte, 2u) << "the wrong byte blamed";
        }
    }
    const Case configs[] = {
        {"CONFIG.SYS", "01 01 14 00 0A 00 1E 00 28 00 03 EE", RecordState::Read,
         "a configuration with a tail refused (its first 11 bytes are the record)"},
        {"none.SYS", nullptr, RecordState::Missing, "a missing file told as unreadable"},
        {"short.SYS", "01 01 14 00 0A 00 1E 00 28 00", RecordState::WrongSize,
         "10 bytes decoded as a configuration"},
    };
    for (const Case& c : configs) {
        std::string path = dir.file(c.name);
        if (c.hex)
            test::writeAll(path, hexBytes(c.hex));
        EXPECT_EQ(readConfigRecord(platform, path).state, c.state) << c.fault;
    }
}

// A path that cannot be created reports why and leaves nothing behind.
TEST_F(CardFiles, UncreatablePathReportsTheError) {
    std::string path = dir.file("no-such-folder") + "/CONFIG.SYS";
    EXPECT_EQ(writeConfig(platform, path, RecorderSettings{}), OsError::NotFound);
    EXPECT_FALSE(test::fileExists(path));
    EXPECT_NE(writeClock(platform, dir.path().string(), ClockFields{}), OsError::None)
        << "a folder is not a file to write into";
}

// A platform whose writes or moves fail, as on a full or write-protected card.
class FailingPlatform : public ForwardingPlatform {
  public:
    OsError writeError = OsError::None;
    OsError replaceError = OsError::None;
    OsError write(FileId file, const void* data, std::size_t size) override {
        return writeError != OsError::None ? writeError : real_.write(file, data, size);
    }
    OsError replace(const char* source, const char* target) override {
        return replaceError != OsError::None ? replaceError : real_.replace(source, target);
    }
};

// Guards against a full card leaving an empty or cut record, or the old one lost, or the
// temporary file left behind.
TEST_F(CardFiles, FailedWriteKeepsTheOldFileAndLeavesNoTrace) {
    struct Case {
        const char* label;
        OsError writeError, replaceError;
        bool fileExisted;
    } cases[] = {
        {"full card, new file", OsError::DiskFull, OsError::None, false},
        {"full card, old file", OsError::DiskFull, OsError::None, true},
        {"move refused", OsError::None, OsError::AccessDenied, true},
    };
    const std::vector<unsigned char> old = hexBytes("20 01 02 03 04 05 06");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        test::ScratchDir card;
        std::string path = card.file("TIME.txt");
        if (c.fileExisted)
            test::writeAll(path, old);
        FailingPlatform failing;
        failing.writeError = c.writeError;
        failing.replaceError = c.replaceError;
        EXPECT_NE(writeClock(failing, path, october2007()), OsError::None);
        EXPECT_EQ(test::fileExists(path), c.fileExisted);
        if (c.fileExisted) {
            EXPECT_EQ(readAll(path), old);
        }
        EXPECT_FALSE(
            test::fileExists(FileReplacement::temporaryPathFor(path, platform.processId())));
    }
}

// Guards against a read-only record replaced anyway (rename ignores the file's own mode).
TEST_F(CardFiles, ReadOnlyTargetIsRefusedAndKept) {
    std::string path = dir.file("CONFIG.SYS");
    const std::vector<unsigned char> old = hexBytes("01 01 14 00 0A 00 1E 00 28 00 03");
    test::writeAll(path, old);
    test::setReadOnly(path, true);
    EXPECT_EQ(writeConfig(platform, path, RecorderSettings{}), OsError::AccessDenied);
    EXPECT_EQ(readAll(path), old);
    test::setReadOnly(path, false);
    EXPECT_FALSE(test::fileExists(FileReplacement::temporaryPathFor(path, platform.processId())));
}

// Guards against a replaced file losing the time it was asked to keep.
TEST_F(CardFiles, ReplacementKeepsTheModificationTimeAsked) {
    std::string path = dir.file("MOV0001.avi");
    constexpr std::int64_t kTime = 1192522607; // 2007-10-16 08:16:47 UTC
    FileReplacement file(platform, path);
    ASSERT_TRUE(file.isOpen());
    ASSERT_EQ(file.write("RIFF", 4), OsError::None);
    file.keepModified(kTime);
    ASSERT_EQ(file.commit(), OsError::None);
    FileInfo info;
    ASSERT_EQ(platform.info(path.c_str(), info), OsError::None);
    EXPECT_EQ(info.modified, kTime);
    EXPECT_EQ(info.size, 4u);
}

// Logs the calls that decide whether a replaced file survives a power cut, in order; as FAT
// on Linux does, it can give a moved file the time of the move.
class DurabilityLog final : public ForwardingPlatform {
  public:
    std::vector<std::string> calls;
    bool interruptNow = false;
    bool moveResetsTime = false;
    OsError setFileModified(FileId file, std::int64_t modified) override {
        calls.push_back("setFileModified");
        return real_.setFileModified(file, modified);
    }
    OsError flush(FileId file) override {
        calls.push_back("flush");
        return real_.flush(file);
    }
    OsError replace(const char* source, const char* target) override {
        calls.push_back("replace");
        OsError error = real_.replace(source, target);
        if (error == OsError::None && moveResetsTime)
            real_.setModified(target, kMoveTime);
        return error;
    }
    OsError setModified(const char* path, std::int64_t modified) override {
        calls.push_back("setModified");
        return real_.setModified(path, modified);
    }
    bool interrupted() override { return interruptNow; }
    void startFlush(FileId file, std::uint64_t offset, std::uint64_t size) override {
        ++writesStarted;
        real_.startFlush(file, offset, size);
    }
    std::size_t writesStarted = 0;
    static constexpr std::int64_t kMoveTime = 1700000000;
};

// Guards against a file named before its bytes are on the storage (a card pulled out right
// after "done" left it empty), and a time that a move on FAT replaced left so.
TEST_F(CardFiles, BytesReachTheStorageBeforeTheNameAndTheTimeSurvivesTheMove) {
    constexpr std::int64_t kTime = 1192522607;
    for (bool moveResetsTime : {false, true}) {
        DurabilityLog log;
        log.moveResetsTime = moveResetsTime;
        std::string path = dir.file(moveResetsTime ? "fat.avi" : "ext4.avi");
        FileReplacement file(log, path);
        ASSERT_EQ(file.write("RIFF", 4), OsError::None);
        file.keepModified(kTime);
        ASSERT_EQ(file.commit(), OsError::None);
        std::vector<std::string> expected{"setFileModified", "flush", "replace"};
        if (moveResetsTime)
            expected.push_back("setModified");
        EXPECT_EQ(log.calls, expected);
        FileInfo info;
        ASSERT_EQ(platform.info(path.c_str(), info), OsError::None);
        EXPECT_EQ(info.modified, kTime) << moveResetsTime;
    }
}

// Guards against bytes lost or repeated where a long copy is cut into the pieces the storage
// is told to start on while the next is copied, and against a copy handed to it only whole.
TEST_F(CardFiles, ALongCopyIsWrittenBehindPieceByPiece) {
    constexpr std::size_t kHead = 5, kFrom = 7, kCopied = (5 << 19) + 3; // 2.5 MiB and a little
    std::vector<unsigned char> source(kFrom + kCopied), expected(kHead + kCopied);
    for (std::size_t i = 0; i < source.size(); ++i)
        source[i] = static_cast<unsigned char>(i * 13 + i / 4093);
    test::writeAll(dir.file("in.avi"), source);
    File in(platform, dir.file("in.avi").c_str(), OpenMode::ReadShared);
    DurabilityLog log;
    FileReplacement file(log, dir.file("out.avi"));
    ASSERT_EQ(file.write("RIFF!", kHead), OsError::None);
    ASSERT_EQ(file.copyRange(in.id(), kFrom, kCopied), OsError::None);
    ASSERT_EQ(file.commit(), OsError::None);
    std::copy_n("RIFF!", kHead, expected.begin());
    std::copy_n(source.begin() + kFrom, kCopied, expected.begin() + kHead);
    EXPECT_EQ(test::firstDifference(readAll(dir.file("out.avi")), expected), "");
    EXPECT_EQ(log.writesStarted, 2u); // at each whole megabyte
}

// Guards against an interrupted program leaving its half-written file, or naming it done.
TEST_F(CardFiles, AnInterruptedReplacementLeavesTheOldFile) {
    DurabilityLog log;
    std::string path = dir.file("CONFIG.SYS");
    const std::vector<unsigned char> old = hexBytes("01 01 14 00 0A 00 1E 00 28 00 03");
    test::writeAll(path, old);
    FileReplacement file(log, path);
    ASSERT_EQ(file.write("\0\0\0", 3), OsError::None);
    std::string temporary = file.temporaryPath();
    ASSERT_TRUE(test::fileExists(temporary));
    log.interruptNow = true;
    EXPECT_EQ(file.commit(), OsError::Interrupted);
    EXPECT_EQ(readAll(path), old);
    EXPECT_FALSE(test::fileExists(temporary));
    EXPECT_EQ(log.calls, std::vector<std::string>{});
}

// Guards against two programs replacing one file through one temporary name, each taking the
// other's half-written bytes.
TEST_F(CardFiles, TemporaryNamesBelongToTheirProcess) {
    EXPECT_NE(FileReplacement::temporaryPathFor("E:\\TIME.txt", 100),
              FileReplacement::temporaryPathFor("E:\\TIME.txt", 101));
    EXPECT_EQ(FileReplacement::temporaryPathFor("E:\\TIME.txt", 100), "E:\\TIME.txt.100.kovra-tmp");
}

// Process 4242 is running; every other one has ended.
struct FewProcesses : ForwardingPlatform {
    using ForwardingPlatform::ForwardingPlatform;
    bool processRunning(std::uint32_t processId) override { return processId == 4242; }
};

// Guards against a killed writer's temporary file (up to a gigabyte) left for ever, and against
// removing what is not ours: a live writer's, another target's, a look-alike, a folder, a link.
TEST_F(CardFiles, AWriteRemovesTheTemporaryFilesOfEndedWritersOnly) {
    FewProcesses few(platform);
    std::pair<const char*, bool> kept[] = {
        {"clip.avi.77.kovra-tmp", false}, {"clip.avi.4242.kovra-tmp", true},
        {"other.avi.77.kovra-tmp", true}, {"clip.avi.7x.kovra-tmp", true},
        {"xclip.avi.77.kovra-tmp", true}, {"clip.avi.99999999999.kovra-tmp", true},
        {"clip.avi.78.kovra-tmp/", true}, // a folder
#ifndef _WIN32
        {"clip.avi.79.kovra-tmp", true}, // a link, to a file outside
#endif
    };
    for (const auto& entry : kept)
        if (std::string(entry.first).back() == '/')
            std::filesystem::create_directory(dir.file(entry.first));
        else
            test::writeAll(dir.file(entry.first), {1});
#ifndef _WIN32
    std::filesystem::remove(dir.file("clip.avi.79.kovra-tmp"));
    std::filesystem::create_symlink(dir.file("xclip.avi.77.kovra-tmp"),
                                    dir.file("clip.avi.79.kovra-tmp"));
#endif
    FileReplacement(few, dir.file("clip.avi")).commit();
    for (const auto& entry : kept)
        EXPECT_EQ(std::filesystem::symlink_status(dir.file(entry.first)).type() !=
                      std::filesystem::file_type::not_found,
                  entry.second)
            << entry.first;
}

} // namespace
} // namespace kovra
