// Writes that meet a limit, for real: a file-size limit set for the process (ulimit -f) and a
// full disk (a small tmpfs). Each runs in a child, which the limit must not kill.
#include <gtest/gtest.h>

#include <sched.h>
#include <sys/mount.h>
#include <sys/resource.h>

#include <cerrno>
#include <string>
#include <vector>

#include "platform/file.h"
#include "platform/platform.h"
#include "tests/support/process.h"
#include "tests/support/scratch_dir.h"

namespace kovra {
namespace {

constexpr std::size_t kLimit = 64 * 1024;
constexpr std::size_t kPastTheLimit = 4 * kLimit;
// The child's answer when it may not mount a filesystem of its own.
constexpr int kCannotMount = 99;

// The child's exit code: 0 when a write and a copy past the limit each fail with the kind
// and code given, the copy on its target, else which of them did not.
int writePastTheLimit(Platform& platform, const std::string& folder, OsError::Kind kind, int code,
                      const std::string& source) {
    std::vector<char> bytes(kPastTheLimit, 'x');
    File out(platform, (folder + "/out").c_str(), OpenMode::WriteTruncate);
    if (!out.isOpen())
        return 1;
    OsError written = out.write(bytes.data(), bytes.size());
    if (written.kind() != kind || written.native() != code)
        return 2;
    out.close();
    platform.remove((folder + "/out").c_str());
    File in(platform, source.c_str(), OpenMode::ReadShared);
    File copy(platform, (folder + "/copy").c_str(), OpenMode::WriteTruncate);
    if (!in.isOpen() || !copy.isOpen())
        return 3;
    OsError copied = platform.copyRange(in.id(), 0, copy.id(), kPastTheLimit);
    if (copied.kind() != kind || copied.native() != code || copied.side() != OsError::Side::Target)
        return 4;
    return 0;
}

class PosixWriteLimits : public ::testing::Test {
  protected:
    void SetUp() override { test::writeAll(source, std::vector<unsigned char>(kPastTheLimit, 7)); }

    Platform& platform = systemPlatform(); // from here on SIGXFSZ is ignored
    test::ScratchDir dir;
    std::string source = dir.file("source");
};

// Guards against the program killed by SIGXFSZ at ulimit -f instead of failing the write,
// and that failure taken for a full disk.
TEST_F(PosixWriteLimits, FileSizeLimitIsFileTooLarge) {
    test::ChildEnd end = test::runInChild([&] {
        rlimit limit{kLimit, kLimit};
        if (setrlimit(RLIMIT_FSIZE, &limit) != 0)
            return 5;
        return writePastTheLimit(platform, dir.path().string(), OsError::FileTooLarge, EFBIG,
                                 source);
    });
    EXPECT_EQ(end, (test::ChildEnd{test::ChildEnd::Exited, 0}));
}

// Guards against a full disk reported as a short write or as the source's fault.
TEST_F(PosixWriteLimits, FullDiskIsDiskFull) {
    std::string small = dir.file("small");
    std::filesystem::create_directory(small);
    test::ChildEnd end = test::runInChild([&] {
        // A mount of the child's own, gone with it.
        if (unshare(CLONE_NEWNS) != 0 ||
            mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
            mount("tmpfs", small.c_str(), "tmpfs", 0, "size=64k") != 0)
            return kCannotMount;
        return writePastTheLimit(platform, small, OsError::DiskFull, ENOSPC, source);
    });
    if (end == test::ChildEnd{test::ChildEnd::Exited, kCannotMount})
        GTEST_SKIP() << "a full disk is made by mounting a small tmpfs, which this process may "
                        "not (it needs CAP_SYS_ADMIN)";
    EXPECT_EQ(end, (test::ChildEnd{test::ChildEnd::Exited, 0}));
}

} // namespace
} // namespace kovra
