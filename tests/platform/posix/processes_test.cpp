// The POSIX platform's dealings with signals and other processes: interrupts held back while
// writing, a lock another process holds, a mapped file cut short under its reader, and what
// the standard streams are. What may end a process runs in a forked child.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "platform/file.h"
#include "platform/platform.h"
#include "tests/support/bytes.h"
#include "tests/support/process.h"
#include "tests/support/scratch_dir.h"

namespace kovra {
namespace {

using test::ChildEnd;

constexpr std::size_t kBlock = 64 * 1024; // a whole number of pages on every machine
constexpr int kSurvived = 9;

class PosixProcesses : public ::testing::Test {
  protected:
    Platform& platform = systemPlatform();
    test::ScratchDir dir;
};

// Guards against an interrupt that kills a write half done (its temporary file left behind),
// one that is lost (the program goes on as if nothing came), and one that ends the process
// other than the signal would.
TEST_F(PosixProcesses, InterruptsWhileDeferredFailWritesThenEndTheProcess) {
    for (int signal : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) {
        struct sigaction inherited {};
        sigaction(signal, nullptr, &inherited);
        ChildEnd end = test::runInChild([&] {
            File out(platform, dir.file("out").c_str(), OpenMode::WriteTruncate);
            platform.deferInterrupts();
            raise(signal);
            if (!platform.interrupted())
                return 1;
            if (out.write("RIFF", 4) != OsError::Interrupted ||
                platform.copyRange(out.id(), 0, out.id(), 4) != OsError::Interrupted)
                return 2;
            test::writeAll(dir.file("deferred"), {1}); // the signal waited until here
            platform.allowInterrupts();
            return kSurvived;
        });
        // Ignored by whoever started the tests (nohup): it stays ignored.
        bool ignored = inherited.sa_handler == SIG_IGN;
        ChildEnd expected =
            ignored ? ChildEnd{ChildEnd::Exited, 1} : ChildEnd{ChildEnd::Killed, signal};
        EXPECT_EQ(end, expected) << strsignal(signal);
        EXPECT_NE(test::fileExists(dir.file("deferred")), ignored) << strsignal(signal);
        std::filesystem::remove(dir.file("deferred"));
    }
}

// Guards against an interrupt swallowed when nothing is being written, before the first
// deferral and after the last.
TEST_F(PosixProcesses, InterruptsWithoutDeferralEndTheProcessAtOnce) {
    for (bool deferredBefore : {false, true}) {
        ChildEnd end = test::runInChild([&] {
            if (deferredBefore) {
                platform.deferInterrupts();
                platform.allowInterrupts();
            }
            raise(SIGTERM);
            return kSurvived;
        });
        EXPECT_EQ(end, (ChildEnd{ChildEnd::Killed, SIGTERM})) << deferredBefore;
    }
}

// Guards against two kovra-cli runs writing one card at once, and a lock that outlives the
// process that held it.
TEST_F(PosixProcesses, LockFileExcludesOtherProcessesUntilClosedOrDead) {
    std::string lock = dir.file("kovra.lock");
    auto tryLock = [&] {
        FileId held;
        OsError error = platform.lockFile(lock.c_str(), held);
        return error == OsError::SharingViolation ? 1 : error == OsError::None ? 0 : 2;
    };
    FileId held;
    ASSERT_EQ(platform.lockFile(lock.c_str(), held), OsError::None);
    EXPECT_EQ(test::runInChild(tryLock), (ChildEnd{ChildEnd::Exited, 1}));
    platform.close(held);
    EXPECT_EQ(test::runInChild(tryLock), (ChildEnd{ChildEnd::Exited, 0}));
    ChildEnd died = test::runInChild([&] {
        platform.lockFile(lock.c_str(), held);
        abort();
        return 0;
    });
    EXPECT_EQ(died, (ChildEnd{ChildEnd::Killed, SIGABRT}));
    EXPECT_EQ(platform.lockFile(lock.c_str(), held), OsError::None);
    platform.close(held);
}

// Guards against progress lines written into a pipe or file, or kept from a terminal.
TEST_F(PosixProcesses, IsTerminalTellsAPipeFromATerminal) {
    int pipeEnds[2];
    ASSERT_EQ(pipe(pipeEnds), 0);
    int terminal = posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(terminal, 0);
    ASSERT_EQ(grantpt(terminal) | unlockpt(terminal), 0);
    int user = open(ptsname(terminal), O_RDWR | O_NOCTTY);
    ASSERT_GE(user, 0);
    for (StandardStream stream : {StandardStream::Output, StandardStream::Error}) {
        int fd = stream == StandardStream::Output ? STDOUT_FILENO : STDERR_FILENO;
        int saved = dup(fd);
        dup2(pipeEnds[1], fd);
        bool pipeIsTerminal = platform.isTerminal(stream);
        dup2(user, fd);
        bool terminalIsTerminal = platform.isTerminal(stream);
        dup2(saved, fd);
        close(saved);
        EXPECT_FALSE(pipeIsTerminal);
        EXPECT_TRUE(terminalIsTerminal);
    }
    for (int fd : {pipeEnds[0], pipeEnds[1], terminal, user})
        close(fd);
    EXPECT_EQ(platform.processId(), static_cast<std::uint32_t>(getpid()));
}

// Guards against a stale temporary file taken for a live writer's (kept for ever) or a live
// writer's taken for stale (removed under it), and a number kill() reads as a process group.
TEST(Processes, ProcessRunningTellsTheLiveFromTheEnded) {
    Platform& platform = systemPlatform();
    pid_t child = fork();
    if (child == 0)
        _exit(0);
    ASSERT_GT(child, 0);
    ASSERT_EQ(waitpid(child, nullptr, 0), child);
    auto id = [](pid_t process) { return static_cast<std::uint32_t>(process); };
    std::pair<std::uint32_t, bool> cases[] = {
        {id(getpid()), true},
        {id(getppid()), true},
        {id(child), false},  // ended and reaped
        {0, false},          // kill(0, 0) asks about our own group
        {0xFFFFFFFFu, false} // as pid_t, -1: every process we may signal
    };
    for (auto [process, running] : cases)
        EXPECT_EQ(platform.processRunning(process), running) << process;
}

} // namespace
} // namespace kovra
