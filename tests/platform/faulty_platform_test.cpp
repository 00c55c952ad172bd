// The test kit's faulty platform, which the device layer's tests trust to fail as a bad
// sector, a full disk and a vanished file do: at the byte and the file set, nowhere else.
#include "testkit/faulty_platform.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/file.h"
#include "tests/support/bytes.h"
#include "tests/support/scratch_dir.h"

namespace kovra {
namespace {

// Guards against a fault that strikes another file or another byte than set, and a failed
// copy or write that leaves other bytes behind than the system would.
TEST(FaultyPlatform, FailsWhereItWasToldAndNowhereElse) {
    test::ScratchDir dir;
    std::string bad = dir.file("MOV0002.avi"), good = dir.file("MOV0001.avi");
    std::string out = dir.file("out.avi"), gone = dir.file("MOV0003.avi");
    for (const std::string& path : {bad, good, gone})
        test::writeAll(path, test::hexBytes("4D 41 52 53 30 31 32 33"));
    test::FaultyPlatform platform;
    const OsError kBadSector(OsError::Other, 5);
    platform.failReads("MOV0002", 6, kBadSector);
    platform.failWrites("out.avi", 5);
    platform.vanish(gone);

    File in(platform, bad.c_str(), OpenMode::ReadShared);
    File fine(platform, good.c_str(), OpenMode::ReadShared);
    File written(platform, out.c_str(), OpenMode::WriteTruncate);
    ASSERT_TRUE(in.isOpen() && fine.isOpen() && written.isOpen());
    char bytes[8];
    EXPECT_EQ(platform.readAt(in.id(), 0, bytes, 6), OsError::None);
    EXPECT_EQ(platform.readAt(in.id(), 4, bytes, 4).native(), 5);
    EXPECT_EQ(platform.readAt(fine.id(), 4, bytes, 4), OsError::None);

    OsError copied = platform.copyRange(in.id(), 2, written.id(), 6);
    EXPECT_EQ(copied.native(), 5);
    EXPECT_EQ(copied.side(), OsError::Side::Source);
    OsError full = written.write("abc", 3);
    EXPECT_EQ(full, OsError::DiskFull);
    written.close();
    EXPECT_EQ(test::toHex(test::readAll(out)), "52 53 30 31 61");
    File vanished(platform, gone.c_str(), OpenMode::ReadShared);
    EXPECT_EQ(vanished.openError(), OsError::NotFound);
}

} // namespace
} // namespace kovra
