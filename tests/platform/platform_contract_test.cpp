// One contract for every platform implementation: this file runs natively against POSIX and
// under Wine against Win32.
#include "platform/platform.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/file.h"
#include "platform/names.h"
#include "tests/support/bytes.h"
#include "tests/support/scratch_dir.h"

namespace kovra {
namespace {

using test::hexBytes;
using test::toHex;

class PlatformContract : public ::testing::Test {
  protected:
    Platform& platform = systemPlatform();
    test::ScratchDir dir;
};

// A short read is its own failure, never silently taken as data.
TEST_F(PlatformContract, ShortReadIsReported) {
    std::string path = dir.file("three");
    test::writeAll(path, hexBytes("01 02 03"));
    File file(platform, path.c_str(), OpenMode::ReadShared);
    ASSERT_TRUE(file.isOpen());
    unsigned char buffer[4] = {};
    EXPECT_EQ(file.read(buffer, 4), OsError::ShortRead);
}

// Reading needs an existing file and must not create one.
TEST_F(PlatformContract, ReadSharedNeedsAnExistingFile) {
    std::string path = dir.file("absent");
    File file(platform, path.c_str(), OpenMode::ReadShared);
    EXPECT_FALSE(file.isOpen());
    EXPECT_EQ(file.openError(), OsError::NotFound);
    EXPECT_FALSE(test::fileExists(path));
}

// Two readers may hold the card's CONFIG.SYS at once.
TEST_F(PlatformContract, ReadersShare) {
    std::string path = dir.file("CONFIG.SYS");
    test::writeAll(path, hexBytes("0A 0B"));
    File first(platform, path.c_str(), OpenMode::ReadShared);
    File second(platform, path.c_str(), OpenMode::ReadShared);
    ASSERT_TRUE(first.isOpen());
    ASSERT_TRUE(second.isOpen());
    unsigned char byte[2] = {};
    EXPECT_EQ(second.read(byte, 2), OsError::None);
    EXPECT_EQ(byte[1], 0x0B);
}

// Read-write opening creates a missing file empty and keeps an existing one's bytes; seek
// back and write changes only the bytes written.
TEST_F(PlatformContract, ReadWriteOpenSeekAndOverwrite) {
    std::string fresh = dir.file("fresh");
    {
        File file(platform, fresh.c_str(), OpenMode::ReadWriteExclusive);
        ASSERT_TRUE(file.isOpen());
    }
    EXPECT_TRUE(test::readAll(fresh).empty());

    std::string path = dir.file("clip.avi");
    test::writeAll(path, hexBytes("4D 41 52 53 01 02 03 04"));
    File file(platform, path.c_str(), OpenMode::ReadWriteExclusive);
    ASSERT_TRUE(file.isOpen());
    unsigned char head[4];
    ASSERT_EQ(file.read(head, 4), OsError::None);
    ASSERT_EQ(file.seek(0), OsError::None);
    ASSERT_EQ(file.write("RIFF", 4), OsError::None);
    file.close();
    EXPECT_EQ(toHex(test::readAll(path)), "52 49 46 46 01 02 03 04");
}

// Guards against many reads in one call answering otherwise than readAt() answers each: bytes
// from another place or another piece's, a short read at the end passed as whole, a batch
// larger than one call takes losing its tail.
TEST_F(PlatformContract, ReadAtManyAnswersAsReadAtEach) {
    constexpr std::size_t kPieces = 600, kFileSize = 4000;
    std::vector<std::uint8_t> content(kFileSize);
    for (std::size_t i = 0; i < kFileSize; ++i)
        content[i] = static_cast<std::uint8_t>(i * 7 + i / 256);
    std::string path = dir.file("many.avi");
    test::writeAll(path, content);
    File file(platform, path.c_str(), OpenMode::ReadShared);
    ASSERT_TRUE(file.isOpen());
    std::vector<ReadPiece> pieces(kPieces);
    std::vector<std::vector<std::uint8_t>> buffers(kPieces);
    for (std::size_t i = 0; i < kPieces; ++i) {
        // Most inside the file, in no order; some across its end, some wholly past it.
        std::uint64_t offset = (i * 2654435761u) % (kFileSize + 40);
        buffers[i].assign(1 + i % 24, 0);
        pieces[i] = {offset, buffers[i].data(), buffers[i].size(), OsError::Interrupted};
    }
    platform.readAtMany(file.id(), pieces.data(), pieces.size());
    for (std::size_t i = 0; i < kPieces; ++i) {
        std::vector<std::uint8_t> alone(pieces[i].size);
        OsError expected = platform.readAt(file.id(), pieces[i].offset, alone.data(), alone.size());
        ASSERT_EQ(pieces[i].error, expected) << "piece " << i << " at " << pieces[i].offset;
        if (expected == OsError::None) {
            EXPECT_EQ(buffers[i], alone) << "piece " << i << " at " << pieces[i].offset;
        }
    }
}

// Guards against readAt reading from the file position, or a read past the end passed as
// whole; and the file's size (asked of the open file, and told by the open), the replace (durable
// or not) that refuses a read-only target, and folders.
TEST_F(PlatformContract, ReadAtSizeReplaceAndFolders) {
    std::string path = dir.file("clip.avi");
    test::writeAll(path, hexBytes("4D 41 52 53 01 02 03 04"));
    File file(platform, path.c_str(), OpenMode::ReadShared);
    ASSERT_TRUE(file.isOpen());
    unsigned char bytes[4] = {};
    ASSERT_EQ(platform.readAt(file.id(), 5, bytes, 3), OsError::None);
    EXPECT_EQ(toHex(bytes, 3), "02 03 04");
    ASSERT_EQ(platform.readAt(file.id(), 0, bytes, 4), OsError::None);
    EXPECT_EQ(toHex(bytes, 4), "4D 41 52 53");
    EXPECT_EQ(platform.readAt(file.id(), 6, bytes, 4), OsError::ShortRead);
    std::uint64_t size = 0;
    ASSERT_EQ(platform.fileSize(file.id(), size), OsError::None);
    EXPECT_EQ(size, 8u);
    file.close();
    FileId sized = 0;
    size = 0;
    ASSERT_EQ(platform.openSized(path.c_str(), OpenMode::ReadShared, sized, size), OsError::None);
    EXPECT_EQ(size, 8u) << "the size an open learns";
    platform.close(sized);

    std::string other = dir.file("other");
    test::writeAll(other, hexBytes("52 49 46 46"));
    test::setReadOnly(path, true);
    OsError refused = platform.replace(other.c_str(), path.c_str());
    EXPECT_EQ(refused, OsError::AccessDenied);
    EXPECT_NE(refused.native(), 0) << "the system's reason shown with ours";
    test::setReadOnly(path, false);
    ASSERT_EQ(platform.replace(other.c_str(), path.c_str()), OsError::None);
    EXPECT_EQ(toHex(test::readAll(path)), "52 49 46 46");
    EXPECT_FALSE(test::fileExists(other));
    // The move that is not made durable keeps every other rule of replace().
    test::writeAll(other, hexBytes("4D 41 52 53"));
    test::setReadOnly(path, true);
    EXPECT_EQ(platform.replaceUnflushed(other.c_str(), path.c_str()), OsError::AccessDenied);
    test::setReadOnly(path, false);
    ASSERT_EQ(platform.replaceUnflushed(other.c_str(), path.c_str()), OsError::None);
    EXPECT_EQ(toHex(test::readAll(path)), "4D 41 52 53");
    EXPECT_FALSE(test::fileExists(other));

    std::string folder = dir.file("DCIM");
    ASSERT_EQ(platform.makeFolder(folder.c_str()), OsError::None);
    EXPECT_EQ(platform.makeFolder(folder.c_str()), OsError::None) << "already there is fine";
    OsError taken = platform.makeFolder(path.c_str());
    EXPECT_EQ(taken, OsError::Exists) << "a file holds the name, which is no permission";
    EXPECT_NE(taken.native(), 0) << taken;
    std::vector<std::string> entries;
    platform.forEachEntry(dir.path().string().c_str(), [&](const FolderEntry& entry) {
        entries.push_back(std::string(entry.name) + (entry.kind == FileKind::Folder ? "/" : "") +
                          (entry.kind == FileKind::Other || entry.isLink ? "?" : ""));
    });
    std::sort(entries.begin(), entries.end());
    EXPECT_EQ(entries, (std::vector<std::string>{"DCIM/", "clip.avi"}));
}

// Guards against a move to a new name that replaces what holds the name, a file or a folder,
// or that does not move where the name is free.
TEST_F(PlatformContract, MoveToNewNameNeverReplaces) {
    std::string source = dir.file("clip.tmp"), file = dir.file("clip.avi");
    std::string folder = dir.file("DCIM"), free = dir.file("clip-2.avi");
    test::writeAll(source, hexBytes("52 49 46 46"));
    test::writeAll(file, hexBytes("4D 41 52 53"));
    ASSERT_EQ(platform.makeFolder(folder.c_str()), OsError::None);
    for (const std::string& held : {file, folder}) {
        OsError refused = platform.moveToNewName(source.c_str(), held.c_str());
        EXPECT_EQ(refused, OsError::Exists) << held << ": " << refused;
        EXPECT_NE(refused.native(), 0) << "the system's reason shown with ours";
    }
    EXPECT_EQ(toHex(test::readAll(file)), "4D 41 52 53");
    EXPECT_EQ(toHex(test::readAll(source)), "52 49 46 46");
    ASSERT_EQ(platform.moveToNewName(source.c_str(), free.c_str()), OsError::None);
    EXPECT_EQ(toHex(test::readAll(free)), "52 49 46 46");
    EXPECT_FALSE(test::fileExists(source));
}

// Guards against a folder removed with the files in it (the pictures of a gallery written
// earlier), or a file taken for an empty folder.
TEST_F(PlatformContract, RemoveEmptyFolderKeepsWhatHoldsAnything) {
    std::string empty = dir.file("made"), held = dir.file("kovra-gallery");
    std::string picture = dir.file("kovra-gallery/cover.jpg"), file = dir.file("clip.avi");
    ASSERT_EQ(platform.makeFolder(empty.c_str()), OsError::None);
    ASSERT_EQ(platform.makeFolder(held.c_str()), OsError::None);
    test::writeAll(picture, hexBytes("FF D8"));
    test::writeAll(file, hexBytes("4D 41 52 53"));
    for (const std::string& kept : {held, file})
        EXPECT_NE(platform.removeEmptyFolder(kept.c_str()), OsError::None) << kept;
    EXPECT_EQ(toHex(test::readAll(picture)), "FF D8");
    EXPECT_EQ(toHex(test::readAll(file)), "4D 41 52 53");
    EXPECT_EQ(platform.removeEmptyFolder(empty.c_str()), OsError::None);
    FileInfo gone;
    EXPECT_EQ(platform.info(empty.c_str(), gone), OsError::NotFound);
}

// Guards against a positional write that moves the position the appends go on from, and a
// cut that leaves the position past the new end (a gap of zeros before the next write).
TEST_F(PlatformContract, WriteAtAndSetSizeKeepAppendsInPlace) {
    std::string path = dir.file("out.avi");
    File file(platform, path.c_str(), OpenMode::WriteTruncate);
    ASSERT_TRUE(file.isOpen());
    ASSERT_EQ(file.write("MARS0123456789", 14), OsError::None);
    ASSERT_EQ(platform.writeAt(file.id(), 0, "RIFF", 4), OsError::None);
    ASSERT_EQ(file.write("ab", 2), OsError::None);
    ASSERT_EQ(platform.setSize(file.id(), 6), OsError::None);
    ASSERT_EQ(file.write("cd", 2), OsError::None);
    file.close();
    std::vector<unsigned char> bytes = test::readAll(path);
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "RIFF01cd");
}

// Writing empties an existing file first.
TEST_F(PlatformContract, WriteTruncateEmptiesTheFile) {
    std::string path = dir.file("old");
    test::writeAll(path, std::vector<unsigned char>(50, 7));
    {
        File file(platform, path.c_str(), OpenMode::WriteTruncate);
        ASSERT_TRUE(file.isOpen());
        ASSERT_EQ(file.write("ab", 2), OsError::None);
    }
    EXPECT_EQ(test::readAll(path).size(), 2u);
}

// Guards against a folder opened as a file that reads nothing, and a temporary file created
// over something already there.
TEST_F(PlatformContract, OpenRefusesWhatIsNoFileForIt) {
    std::string folder = dir.file("DCIM"), file = dir.file("CONFIG.SYS");
    ASSERT_EQ(platform.makeFolder(folder.c_str()), OsError::None);
    test::writeAll(file, hexBytes("01 02"));
    const struct {
        std::string path;
        OpenMode mode;
        OsError::Kind expected;
    } cases[] = {
        {folder, OpenMode::ReadShared, OsError::IsFolder},
        {folder, OpenMode::WriteTruncate, OsError::IsFolder},
        {folder, OpenMode::ReadWriteExclusive, OsError::IsFolder},
        {folder, OpenMode::CreateNew, OsError::Exists},
        {file, OpenMode::CreateNew, OsError::Exists},
        {dir.file("absent"), OpenMode::ReadShared, OsError::NotFound},
    };
    for (const auto& c : cases) {
        File opened(platform, c.path.c_str(), c.mode);
        EXPECT_FALSE(opened.isOpen()) << c.path << " mode " << static_cast<int>(c.mode);
        EXPECT_EQ(opened.openError().kind(), c.expected)
            << c.path << " mode " << static_cast<int>(c.mode) << ": " << opened.openError();
    }
    EXPECT_EQ(toHex(test::readAll(file)), "01 02");
}

// Guards against a new temporary file that cannot read back what was written to it, or
// whose flush fails.
TEST_F(PlatformContract, CreateNewReadsBackAndFlushes) {
    std::string path = dir.file("~tmp.avi");
    File file(platform, path.c_str(), OpenMode::CreateNew);
    ASSERT_TRUE(file.isOpen()) << file.openError();
    ASSERT_EQ(file.write("RIFF", 4), OsError::None);
    char back[4] = {};
    ASSERT_EQ(platform.readAt(file.id(), 0, back, 4), OsError::None);
    EXPECT_EQ(std::string(back, 4), "RIFF");
    EXPECT_EQ(platform.flush(file.id()), OsError::None);
}

// Guards against the system's code lost on the way: the message a user reads names it.
TEST_F(PlatformContract, ErrorsCarryTheSystemsCodeAndWords) {
    File file(platform, dir.file("absent").c_str(), OpenMode::ReadShared);
    OsError error = file.openError();
    ASSERT_EQ(error, OsError::NotFound);
    ASSERT_NE(error.native(), 0);
    std::string text = osErrorText(error), code = std::to_string(error.native());
    EXPECT_EQ(text.substr(text.size() - code.size() - 1), " " + code) << text;
    EXPECT_GT(text.size(), code.size() + 10) << "the system's words too: " << text;
    EXPECT_EQ(text.find_first_of("\r\n"), std::string::npos) << text;
    EXPECT_EQ(osErrorText(OsError::ShortRead), "");
}

// Guards against a failed copy blamed on the wrong file: the one that cannot be read is the
// source, the one that cannot be written the target.
TEST_F(PlatformContract, CopiesSayWhichSideFailed) {
    std::string source = dir.file("source"), readOnly = dir.file("read-only");
    test::writeAll(source, hexBytes("4D 41 52 53 01 02 03 04"));
    test::writeAll(readOnly, {});
    File in(platform, source.c_str(), OpenMode::ReadShared);
    File out(platform, dir.file("out").c_str(), OpenMode::WriteTruncate);
    File unreadable(platform, dir.file("write-only").c_str(), OpenMode::WriteTruncate);
    File unwritable(platform, readOnly.c_str(), OpenMode::ReadShared);
    ASSERT_TRUE(in.isOpen() && out.isOpen() && unreadable.isOpen() && unwritable.isOpen());
    ASSERT_EQ(unreadable.write("RIFF", 4), OsError::None);
    // Either: the copy succeeds. What the system calls the failure differs (EBADF, access
    // denied); which file it concerns does not.
    const struct {
        FileId from, to;
        std::uint64_t offset, size;
        OsError::Side side;
    } cases[] = {
        {in.id(), out.id(), 2, 4, OsError::Side::Either},
        {in.id(), out.id(), 6, 4, OsError::Side::Source}, // the source ends first: ShortRead
        {unreadable.id(), out.id(), 0, 4, OsError::Side::Source},
        {in.id(), unwritable.id(), 0, 4, OsError::Side::Target},
    };
    for (const auto& c : cases) {
        OsError error = platform.copyRange(c.from, c.offset, c.to, c.size);
        EXPECT_EQ(error == OsError::None, c.side == OsError::Side::Either) << error;
        EXPECT_EQ(error.side(), c.side) << error;
    }
    out.close();
    // What a failed copy appended before it failed is not told; the good copy came first.
    EXPECT_EQ(toHex(test::readAll(dir.file("out")).data(), 4), "52 53 01 02");
    EXPECT_EQ(platform.copy(dir.file("absent").c_str(), dir.file("x").c_str()).side(),
              OsError::Side::Source);
    EXPECT_EQ(platform.copy(source.c_str(), (dir.file("absent") + "/x").c_str()).side(),
              OsError::Side::Target);
}

// Guards against a copy that loses, repeats or shifts bytes where the source's offset and the
// target's position lie at different places in their pages (copied through a buffer, piece by
// piece), or at the same place (copied by the system); each appended after what the target
// already holds, and over many pieces.
TEST_F(PlatformContract, CopiesAppendExactlyWhateverTheOffsets) {
    constexpr std::size_t kSourceSize = (600 << 10) + 13;
    std::vector<std::uint8_t> content(kSourceSize);
    for (std::size_t i = 0; i < kSourceSize; ++i)
        content[i] = static_cast<std::uint8_t>(i * 31 + i / 4099);
    std::string source = dir.file("source.avi");
    test::writeAll(source, content);
    const struct {
        std::size_t held, offset, size;
    } cases[] = {
        {0, 0, kSourceSize},       // in step, the whole file
        {0, 1, kSourceSize - 1},   // one byte apart
        {4096, 8192, 300 << 10},   // in step, after a page already written
        {100, 9982, 520 << 10},    // apart, over more than two of the buffer's pieces
        {5000, kSourceSize - 7, 7} // the source's last bytes
    };
    for (const auto& c : cases) {
        std::string target = dir.file("out.avi");
        std::vector<unsigned char> expected(c.held + c.size, 0x5A);
        test::writeAll(target,
                       std::vector<unsigned char>(expected.begin(), expected.begin() + c.held));
        File in(platform, source.c_str(), OpenMode::ReadShared);
        File out(platform, target.c_str(), OpenMode::ReadWriteExclusive);
        ASSERT_TRUE(in.isOpen() && out.isOpen());
        ASSERT_EQ(out.seek(static_cast<std::uint32_t>(c.held)), OsError::None);
        EXPECT_EQ(platform.copyRange(in.id(), c.offset, out.id(), c.size), OsError::None)
            << "from " << c.offset;
        out.close();
        std::copy_n(content.begin() + static_cast<std::ptrdiff_t>(c.offset), c.size,
                    expected.begin() + static_cast<std::ptrdiff_t>(c.held));
        EXPECT_EQ(test::firstDifference(test::readAll(target), expected), "")
            << "from " << c.offset << " after " << c.held;
    }
}

// Guards against a time set on the temporary file lost in the move, or a move whose new
// bytes the next look does not see.
TEST_F(PlatformContract, SetModifiedAndReplaceShowInInfo) {
    constexpr std::int64_t kRecorded = 1192522607; // 2007-10-16 08:16:47 UTC
    std::string path = dir.file("CONFIG.SYS"), temporary = dir.file("~CONFIG.SYS");
    test::writeAll(path, std::vector<unsigned char>(11, 0));
    test::writeAll(temporary, hexBytes("01 01 14"));
    ASSERT_EQ(platform.setModified(temporary.c_str(), kRecorded), OsError::None);
    ASSERT_EQ(platform.replace(temporary.c_str(), path.c_str()), OsError::None);
    FileInfo info;
    ASSERT_EQ(platform.info(path.c_str(), info), OsError::None);
    EXPECT_TRUE(info.isFile());
    EXPECT_EQ(info.size, 3u);
    EXPECT_EQ(info.modified, kRecorded);
    ASSERT_EQ(platform.linkInfo(dir.path().string().c_str(), info), OsError::None);
    EXPECT_TRUE(info.isFolder());
}

// Guards against one file taken for two (another spelling of its path) or two for one.
TEST_F(PlatformContract, IdentityAndRealPathFollowTheFileNotTheSpelling) {
    std::string folder = dir.file("DCIM");
    ASSERT_EQ(platform.makeFolder(folder.c_str()), OsError::None);
    test::writeAll(dir.file("DCIM/a.avi"), {1});
    test::writeAll(dir.file("DCIM/b.avi"), {1});
    const std::string s(1, pathSeparator());
    std::string plain = dir.path().string() + s + "DCIM" + s + "a.avi";
    std::string roundabout =
        dir.path().string() + s + "DCIM" + s + ".." + s + "." + s + "DCIM" + s + "a.avi";
    FileIdentity a, again, b, dcim;
    ASSERT_EQ(platform.identity(plain.c_str(), a), OsError::None);
    ASSERT_EQ(platform.identity(roundabout.c_str(), again), OsError::None);
    ASSERT_EQ(platform.identity(dir.file("DCIM/b.avi").c_str(), b), OsError::None);
    ASSERT_EQ(platform.identity(folder.c_str(), dcim), OsError::None);
    EXPECT_EQ(a, again);
    EXPECT_NE(a, b);
    EXPECT_NE(a, dcim);
    std::string real, realAgain;
    ASSERT_EQ(platform.realPath(plain.c_str(), real), OsError::None);
    ASSERT_EQ(platform.realPath(roundabout.c_str(), realAgain), OsError::None);
    EXPECT_EQ(real, realAgain);
    EXPECT_EQ(real.find(".."), std::string::npos) << real;
    EXPECT_EQ(platform.realPath(dir.file("absent").c_str(), real), OsError::NotFound);
}

// Guards against a deferral that makes writes fail though no interrupt came, or an allow
// that ends the process without one.
TEST_F(PlatformContract, DeferringWithoutAnInterruptChangesNothing) {
    File file(platform, dir.file("out").c_str(), OpenMode::WriteTruncate);
    ASSERT_TRUE(file.isOpen());
    platform.deferInterrupts();
    platform.deferInterrupts();
    EXPECT_FALSE(platform.interrupted());
    EXPECT_EQ(file.write("RIFF", 4), OsError::None);
    platform.allowInterrupts();
    platform.allowInterrupts();
    EXPECT_EQ(platform.writeAt(file.id(), 0, "MARS", 4), OsError::None);
    EXPECT_FALSE(platform.interrupted());
}

// The temporary folder ends in the system's separator (on POSIX a '\' would be part of a
// copy's name, "tmp\~mr..." beside the folder), and a buffer too small is refused, not cut.
TEST_F(PlatformContract, TempPath) {
    char buffer[512];
    ASSERT_EQ(platform.tempPath(buffer, sizeof buffer), OsError::None);
    std::string path = buffer;
    ASSERT_FALSE(path.empty());
    EXPECT_EQ(path.back(), pathSeparator()) << path;
    EXPECT_TRUE(std::filesystem::is_directory(path.substr(0, path.size() - 1))) << path;
    char tiny[3] = {'x', 'y', 'z'};
    EXPECT_EQ(platform.tempPath(tiny, sizeof tiny), OsError::TooLong);
}

// The pattern matches file names case-insensitively and leaves folders and others out.
TEST_F(PlatformContract, ForEachMatchListsMatchingFilesOnly) {
    for (const char* name : {"~mrA.avi", "~MRB.AVI", "~mrC.avi.txt", "mrD.avi", "x~mrE.avi"})
        test::writeAll(dir.file(name), {1});
    std::filesystem::create_directory(dir.path() / "~mrFolder.avi");
    std::vector<std::string> seen;
    std::string pattern = dir.file("~mr*.avi");
    ASSERT_EQ(
        platform.forEachMatch(pattern.c_str(), [&](const char* name) { seen.emplace_back(name); }),
        OsError::None);
    std::sort(seen.begin(), seen.end());
    EXPECT_EQ(seen, (std::vector<std::string>{"~MRB.AVI", "~mrA.avi"}));
}

// Nothing matching is not an error; a missing folder is.
TEST_F(PlatformContract, ForEachMatchWithNoMatches) {
    int calls = 0;
    EXPECT_EQ(platform.forEachMatch(dir.file("~mr*.avi").c_str(), [&](const char*) { ++calls; }),
              OsError::None);
    EXPECT_EQ(calls, 0);
    EXPECT_EQ(platform.forEachMatch((dir.file("gone") + "/~mr*.avi").c_str(),
                                    [&](const char*) { ++calls; }),
              OsError::NotFound);
}

// Copy replaces an existing target and leaves the source as it was.
TEST_F(PlatformContract, CopyReplacesTheTarget) {
    std::string source = dir.file("source"), target = dir.file("target");
    std::vector<unsigned char> bytes(300000);
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<unsigned char>(i * 7);
    test::writeAll(source, bytes);
    test::writeAll(target, std::vector<unsigned char>(400000, 1));
    ASSERT_EQ(platform.copy(source.c_str(), target.c_str()), OsError::None);
    EXPECT_EQ(test::readAll(target), bytes);
    EXPECT_EQ(test::readAll(source), bytes);
}

// A copy from nowhere fails; a copy onto itself must not destroy the file.
TEST_F(PlatformContract, CopyFailures) {
    std::string source = dir.file("source");
    EXPECT_EQ(platform.copy(dir.file("absent").c_str(), source.c_str()), OsError::NotFound);
    test::writeAll(source, hexBytes("01 02 03"));
    EXPECT_NE(platform.copy(source.c_str(), source.c_str()), OsError::None);
    EXPECT_EQ(toHex(test::readAll(source)), "01 02 03");
}

// exists and remove agree with the file system; removing twice reports the second.
TEST_F(PlatformContract, ExistsAndRemove) {
    std::string path = dir.file("gone-soon");
    EXPECT_FALSE(platform.exists(path.c_str()));
    test::writeAll(path, {1});
    EXPECT_TRUE(platform.exists(path.c_str()));
    EXPECT_EQ(platform.remove(path.c_str()), OsError::None);
    EXPECT_FALSE(platform.exists(path.c_str()));
    EXPECT_EQ(platform.remove(path.c_str()), OsError::NotFound);
}

// A '\' separates only where the system says it does: on POSIX "sub\file.bin" is one name
// beside "sub" (a card's "..\..\x.avi" must not lead out of it); on Windows it is sub's file.
TEST_F(PlatformContract, BackslashSeparatesOnlyWhereTheSystemSays) {
    std::filesystem::create_directory(dir.path() / "sub");
    std::string path = dir.path().string() + pathSeparator() + "sub\\file.bin";
    {
        File file(platform, path.c_str(), OpenMode::WriteTruncate);
        ASSERT_TRUE(file.isOpen());
        ASSERT_EQ(file.write("x", 1), OsError::None);
    }
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    std::vector<std::string> expected{"sub"};
    if (!isPathSeparator('\\'))
        expected.push_back("sub\\file.bin");
    EXPECT_EQ(names, expected);
    EXPECT_EQ(test::fileExists((dir.path() / "sub" / "file.bin").string()), isPathSeparator('\\'));
}

// The local time is a plausible calendar date, as GetLocalTime gives it.
TEST_F(PlatformContract, LocalTimeIsACalendarDate) {
    SystemTime now = platform.localTime();
    EXPECT_GE(now.year, 2020);
    EXPECT_GE(now.month, 1);
    EXPECT_LE(now.month, 12);
    EXPECT_GE(now.day, 1);
    EXPECT_LE(now.day, 31);
    EXPECT_LE(now.hour, 23);
    EXPECT_LE(now.minute, 59);
    EXPECT_LE(now.second, 60);
}

} // namespace
} // namespace kovra
