// A real AVI made by ffmpeg, its signature turned into the recorder's "MARS": after Play the
// copy is an AVI again for ffprobe, as long as the original.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "device/playback_workspace.h"
#include "testkit/shell_log_platform.h"
#include "tests/support/bytes.h"
#include "tests/support/process.h"
#include "tests/support/scratch_dir.h"

namespace kovra {
namespace {

using test::onPath;
using test::runProgram;

// ffprobe's container name and duration; format_name is empty when it reads no container.
std::map<std::string, std::string> probe(const test::ScratchDir& dir, const std::string& file) {
    std::string out = dir.file("probe.txt");
    runProgram({"ffprobe", "-v", "quiet", "-show_entries", "format=format_name,duration", "-of",
                "default=noprint_wrappers=1", file},
               out);
    std::map<std::string, std::string> fields;
    std::ifstream in(out);
    for (std::string line; std::getline(in, line);)
        if (auto eq = line.find('='); eq != std::string::npos)
            fields[line.substr(0, eq)] = line.substr(eq + 1);
    return fields;
}

// The prepared copy is an AVI of the original's duration; the card's file keeps "MARS".
TEST(AviEndToEnd, MarsClipBecomesPlayable) {
    if (!onPath("ffmpeg") || !onPath("ffprobe"))
        GTEST_SKIP() << "ffmpeg and ffprobe are not on PATH (Debian package ffmpeg; make test "
                        "installs it)";
    test::ScratchDir card, temp;
    std::string clip = card.file("MOV0001.avi");
    ASSERT_EQ(runProgram({"ffmpeg", "-v", "error", "-nostdin", "-f", "lavfi", "-i",
                          "testsrc=size=320x240:rate=15", "-t", "2", "-c:v", "mjpeg", clip},
                         card.file("ffmpeg.txt")),
              0);
    auto original = probe(card, clip);
    ASSERT_EQ(original["format_name"], "avi");
    ASSERT_FALSE(original["duration"].empty());

    std::vector<unsigned char> mars = test::readAll(clip);
    std::copy_n("MARS", 4, mars.begin());
    test::writeAll(clip, mars);
    ASSERT_NE(probe(card, clip)["format_name"], "avi") << "the signature alone must matter";

    test::ShellLogPlatform platform;
    platform.tempAnswer = temp.path().string() + "/";
    PlaybackWorkspace workspace(platform);
    workspace.prepareTempDir();
    ASSERT_EQ(workspace.play(clip.c_str(), "MOV0001.avi", true), PlayOutcome::Opened);
    ASSERT_EQ(platform.opened.size(), 1u);

    auto prepared = probe(temp, temp.file("~mrMOV0001.avi"));
    EXPECT_EQ(prepared["format_name"], "avi");
    EXPECT_EQ(prepared["duration"], original["duration"]);
    EXPECT_EQ(test::readAll(clip), mars);
}

} // namespace
} // namespace kovra
