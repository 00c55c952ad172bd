#include "tests/avi/ffmpeg_clip.h"

#include <algorithm>
#include <cstdlib>

#include "tests/support/process.h"

namespace kovra::avi::test {

using kovra::test::readText;
using kovra::test::runProgram;

bool makeRecorderClip(const kovra::test::ScratchDir& dir, int seconds, Bytes& clip,
                      std::string& error) {
    std::string path = dir.file("clip.avi"), log = dir.file("ffmpeg.txt");
    int rc = runProgram({"ffmpeg",
                         "-v",
                         "error",
                         "-nostdin",
                         "-y",
                         "-f",
                         "lavfi",
                         "-i",
                         "testsrc=size=640x480:rate=15",
                         "-f",
                         "lavfi",
                         "-i",
                         "sine=frequency=440:sample_rate=8000",
                         "-t",
                         std::to_string(seconds),
                         "-c:v",
                         "mjpeg",
                         "-q:v",
                         "5",
                         "-c:a",
                         "pcm_s16le",
                         "-ac",
                         "1",
                         path},
                        log);
    if (rc != 0) {
        error = readText(log);
        return false;
    }
    clip = readFile(path);
    std::copy_n("MARS", 4, clip.begin());
    return true;
}

Judged judgeWithFfmpeg(const kovra::test::ScratchDir& dir, const Bytes& bytes) {
    std::string file = dir.file("judged.avi"), out = dir.file("judged.txt");
    kovra::test::writeAll(file, bytes);
    Judged judged;
    if (runProgram({"ffprobe", "-v", "error", "-count_frames", "-select_streams", "v:0",
                    "-show_entries", "stream=nb_read_frames", "-of", "csv=p=0", file},
                   out) != 0) {
        judged.decodeErrors = readText(out);
        return judged;
    }
    judged.frames = std::strtol(readText(out).c_str(), nullptr, 10);
    runProgram({"ffmpeg", "-v", "error", "-nostdin", "-i", file, "-f", "null", "-"}, out);
    judged.decodeErrors = readText(out);
    return judged;
}

} // namespace kovra::avi::test
