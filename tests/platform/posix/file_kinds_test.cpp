// What the POSIX platform makes of the names a folder can hold besides files and folders:
// FIFOs, devices, symbolic and hard links. A FIFO named like a video must never hang a read.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <functional>
#include <map>
#include <string>

#include "platform/file.h"
#include "platform/platform.h"
#include "platform/posix/file_calls.h"
#include "tests/support/bytes.h"
#include "tests/support/scratch_dir.h"

namespace kovra {
namespace {

// Past this, an open that waits for a FIFO's other end ends the test program (SIGALRM).
constexpr unsigned kHangSeconds = 10;

class PosixFileKinds : public ::testing::Test {
  protected:
    void SetUp() override {
        test::writeAll(dir.file("file"), test::hexBytes("4D 41 52 53 01"));
        std::filesystem::create_directory(dir.path() / "folder");
        mkfifo(dir.file("MOV0001.avi").c_str(), 0600);
        link("file", "to-file");
        link("folder", "to-folder");
        link("absent", "to-nothing");
        link("loop", "loop");
        ::link(dir.file("file").c_str(), dir.file("hard").c_str());
    }
    void link(const char* target, const char* name) {
        ASSERT_EQ(symlink(target, dir.file(name).c_str()), 0) << name;
    }

    Platform& platform = systemPlatform();
    test::ScratchDir dir;
};

// Guards against a FIFO or a device opened (or waited on) as if it were a video, and a
// temporary file created through a link, where the link points.
TEST_F(PosixFileKinds, OpensRegularFilesOnlyAndNeverThroughANewLink) {
    std::string fifo = dir.file("MOV0001.avi");
    const struct {
        std::string path;
        OpenMode mode;
        OsError::Kind expected;
    } cases[] = {
        {fifo, OpenMode::ReadShared, OsError::NotAFile},
        {fifo, OpenMode::WriteTruncate, OsError::NotAFile},
        {fifo, OpenMode::ReadWriteExclusive, OsError::NotAFile},
        {"/dev/null", OpenMode::ReadShared, OsError::NotAFile},
        {dir.file("to-folder"), OpenMode::ReadShared, OsError::IsFolder},
        {dir.file("loop"), OpenMode::ReadShared, OsError::LinkLoop},
        {dir.file("to-file"), OpenMode::CreateNew, OsError::Exists},
        {dir.file("to-nothing"), OpenMode::CreateNew, OsError::Exists},
    };
    alarm(kHangSeconds);
    for (const auto& c : cases) {
        File file(platform, c.path.c_str(), c.mode);
        EXPECT_EQ(file.openError().kind(), c.expected)
            << c.path << " mode " << static_cast<int>(c.mode) << ": " << file.openError();
    }
    OsError fromFifo = platform.copy(fifo.c_str(), dir.file("copy").c_str());
    OsError toFifo = platform.copy(dir.file("file").c_str(), fifo.c_str());
    alarm(0);
    EXPECT_EQ(fromFifo.kind(), OsError::NotAFile);
    EXPECT_EQ(fromFifo.side(), OsError::Side::Source);
    EXPECT_EQ(toFifo.kind(), OsError::NotAFile);
    EXPECT_EQ(toFifo.side(), OsError::Side::Target);
    EXPECT_FALSE(test::fileExists(dir.file("absent")));
    EXPECT_EQ(test::toHex(test::readAll(dir.file("file"))), "4D 41 52 53 01");
}

// Guards against a move to a new name, or the links it falls back on where rename cannot refuse
// to replace, that puts the file over a link to nothing, or leaves it under both names.
TEST_F(PosixFileKinds, MovesToANewNameOnlyWhereNothingIs) {
    const struct {
        const char* way;
        std::function<OsError(const std::string&, const std::string&)> move;
    } ways[] = {
        {"renameat2",
         [&](auto& from, auto& to) { return platform.moveToNewName(from.c_str(), to.c_str()); }},
        {"link and unlink", posix::linkThenUnlink},
    };
    for (const auto& way : ways) {
        SCOPED_TRACE(way.way);
        std::string source = dir.file("source"), free = dir.file(way.way);
        test::writeAll(source, test::hexBytes("52 49 46 46"));
        for (const char* held : {"file", "to-nothing", "folder"})
            EXPECT_EQ(way.move(source, dir.file(held)), OsError::Exists) << held;
        EXPECT_EQ(test::toHex(test::readAll(dir.file("file"))), "4D 41 52 53 01");
        ASSERT_EQ(way.move(source, free), OsError::None);
        EXPECT_EQ(test::toHex(test::readAll(free)), "52 49 46 46");
        EXPECT_FALSE(test::fileExists(source));
    }
}

// Guards against a link taken for what it leads to where the link itself matters, and the
// reverse; and one file seen as two through its links.
TEST_F(PosixFileKinds, LinksAreSeenAndFollowed) {
    FileInfo info;
    ASSERT_EQ(platform.linkInfo(dir.file("to-file").c_str(), info), OsError::None);
    EXPECT_EQ(info.kind, FileKind::Link);
    ASSERT_EQ(platform.info(dir.file("to-file").c_str(), info), OsError::None);
    EXPECT_EQ(info.kind, FileKind::File);
    EXPECT_EQ(info.size, 5u);
    ASSERT_EQ(platform.info(dir.file("MOV0001.avi").c_str(), info), OsError::None);
    EXPECT_EQ(info.kind, FileKind::Other);
    EXPECT_EQ(platform.info(dir.file("to-nothing").c_str(), info), OsError::NotFound);

    FileIdentity file, hard, symbolic;
    ASSERT_EQ(platform.identity(dir.file("file").c_str(), file), OsError::None);
    ASSERT_EQ(platform.identity(dir.file("hard").c_str(), hard), OsError::None);
    ASSERT_EQ(platform.identity(dir.file("to-file").c_str(), symbolic), OsError::None);
    EXPECT_EQ(file, hard);
    EXPECT_EQ(file, symbolic);
    std::string real, realLink;
    ASSERT_EQ(platform.realPath(dir.file("file").c_str(), real), OsError::None);
    ASSERT_EQ(platform.realPath(dir.file("folder/../to-file").c_str(), realLink), OsError::None);
    EXPECT_EQ(realLink, real);
}

// Guards against a listing that guesses kinds: links count as what they lead to, a link to
// nothing and a FIFO as Other.
TEST_F(PosixFileKinds, ListingTellsEveryKind) {
    std::map<std::string, std::string> seen;
    ASSERT_EQ(platform.forEachEntry(dir.path().string().c_str(),
                                    [&](const FolderEntry& entry) {
                                        const char* kinds[] = {"file", "folder", "link", "other"};
                                        seen[entry.name] =
                                            std::string(kinds[static_cast<int>(entry.kind)]) +
                                            (entry.isLink ? " link" : "");
                                    }),
              OsError::None);
    EXPECT_EQ(seen, (std::map<std::string, std::string>{{"file", "file"},
                                                        {"folder", "folder"},
                                                        {"MOV0001.avi", "other"},
                                                        {"to-file", "file link"},
                                                        {"to-folder", "folder link"},
                                                        {"to-nothing", "other link"},
                                                        {"loop", "other link"},
                                                        {"hard", "file"}}));
}

} // namespace
} // namespace kovra
