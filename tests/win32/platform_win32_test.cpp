// The Win32 platform's own answers, under Wine: devices are not files, a lock is a file held
// without sharing, files are never mapped, and the standard streams and the process as
// Windows sees them. Built for Windows only.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "platform/file.h"
#include "platform/platform.h"
#include "tests/support/scratch_dir.h"

namespace kovra {
namespace {

class Win32Platform : public ::testing::Test {
  protected:
    Platform& platform = systemPlatform();
    test::ScratchDir dir;
};

// Guards against a device name (NUL, CON) opened as a video or a record to replace.
TEST_F(Win32Platform, DevicesAreNotFiles) {
    for (OpenMode mode : {OpenMode::ReadShared, OpenMode::WriteTruncate}) {
        File device(platform, "NUL", mode);
        EXPECT_EQ(device.openError().kind(), OsError::NotAFile) << device.openError();
    }
}

// Guards against two runs writing one card at once: the lock refuses a second holder until
// the first closes it.
TEST_F(Win32Platform, LockFileRefusesASecondHolderUntilClosed) {
    std::string lock = dir.file("kovra.lock");
    FileId first, second;
    ASSERT_EQ(platform.lockFile(lock.c_str(), first), OsError::None);
    EXPECT_EQ(platform.lockFile(lock.c_str(), second), OsError::SharingViolation);
    platform.close(first);
    ASSERT_EQ(platform.lockFile(lock.c_str(), second), OsError::None);
    platform.close(second);
}

// Guards against progress lines written into a pipe, and the process taken for another.
TEST_F(Win32Platform, StandardStreamsAndProcess) {
    HANDLE read, write;
    ASSERT_TRUE(CreatePipe(&read, &write, nullptr, 0));
    HANDLE saved = GetStdHandle(STD_ERROR_HANDLE);
    SetStdHandle(STD_ERROR_HANDLE, write);
    bool pipeIsTerminal = platform.isTerminal(StandardStream::Error);
    SetStdHandle(STD_ERROR_HANDLE, saved);
    CloseHandle(read);
    CloseHandle(write);
    EXPECT_FALSE(pipeIsTerminal);
    EXPECT_EQ(platform.processId(), GetCurrentProcessId());
}

} // namespace
} // namespace kovra
