// The POSIX "open": xdg-open, started without a shell, its answer awaited a few seconds but
// never its player. A script named xdg-open, first on PATH, stands in for the desktop's.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "tests/support/scratch_dir.h"

namespace kovra {
namespace {

// The opener waits until the test says "go" (at most 10 s); had the caller waited for it, it
// finds no "go" and says so in its log.
constexpr const char* kOpener = R"(#!/bin/sh
here=$(dirname "$0")
i=0
while [ ! -e "$here/go" ] && [ $i -lt 100 ]; do sleep 0.1; i=$((i + 1)); done
[ -e "$here/go" ] || echo "the caller waited for the opener" >"$here/log.part"
printf '%s\n' "$#" "$@" >>"$here/log.part"
mv "$here/log.part" "$here/log"
)";

class PosixShellOpen : public ::testing::Test {
  protected:
    PosixShellOpen() : savedPath_(std::getenv("PATH") ? std::getenv("PATH") : "") {}
    ~PosixShellOpen() override { setenv("PATH", savedPath_.c_str(), 1); }

    void installOpener(const std::string& script = kOpener) {
        std::ofstream(dir.file("xdg-open")) << script;
        ASSERT_EQ(chmod(dir.file("xdg-open").c_str(), 0755), 0);
        setenv("PATH", (dir.path().string() + ":" + savedPath_).c_str(), 1);
    }
    std::vector<std::string> waitForLog() {
        for (int i = 0; i < 300 && !test::fileExists(dir.file("log")); ++i)
            usleep(100000);
        std::ifstream in(dir.file("log"));
        std::vector<std::string> lines;
        for (std::string line; std::getline(in, line);)
            lines.push_back(line);
        return lines;
    }

    test::ScratchDir dir;

  private:
    std::string savedPath_;
};

// The path reaches the opener as one argument, as it is ('\' a character of the name) and
// nothing in it run by a shell, and the call returns while the opener still runs (a player in
// front).
TEST_F(PosixShellOpen, HandsThePathToXdgOpen) {
    installOpener();
    std::string name = "~mrMOV 0001 $(touch ran) 'q';`touch ran`\\..\\x.avi";
    std::string path = dir.file(name);
    EXPECT_EQ(systemPlatform().shellOpen(path.c_str()), OsError::None);
    std::ofstream(dir.file("go")) << "go";
    EXPECT_EQ(waitForLog(), (std::vector<std::string>{"1", path}));
    EXPECT_FALSE(test::fileExists(dir.file("ran")));
}

// Guards against a refusal taken for success, and a missing opener not reported (or a crash):
// xdg-open says 3 when it knows no program for the file.
TEST_F(PosixShellOpen, TellsTheOpenersAnswer) {
    const struct {
        const char* exit;
        OsError::Kind expected;
    } cases[] = {{"0", OsError::None}, {"3", OsError::NoHandler}, {"4", OsError::Other}};
    for (const auto& c : cases) {
        installOpener(std::string("#!/bin/sh\nexit ") + c.exit + "\n");
        OsError error = systemPlatform().shellOpen(dir.file("x.avi").c_str());
        EXPECT_EQ(error.kind(), c.expected) << "exit " << c.exit << ": " << error;
        EXPECT_EQ(error.native(), 0) << "xdg-open gives no code the system can word";
    }
    setenv("PATH", dir.file("empty").c_str(), 1);
    EXPECT_EQ(systemPlatform().shellOpen(dir.file("x.avi").c_str()), OsError::NoHandler);
}

} // namespace
} // namespace kovra
