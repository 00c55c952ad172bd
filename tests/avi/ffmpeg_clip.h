// Recordings that ffmpeg makes as the recorder makes them, and ffmpeg's judgement of what a
// repair wrote: the native run's only, where ffmpeg is installed.
#pragma once

#include <string>

#include "tests/avi/avi_bytes.h"
#include "tests/support/scratch_dir.h"

namespace kovra::avi::test {

// MJPEG 640x480 at 15 fps with 8 kHz mono PCM, signed "MARS", into clip; false with ffmpeg's
// words in error when it could not be made.
bool makeRecorderClip(const kovra::test::ScratchDir& dir, int seconds, Bytes& clip,
                      std::string& error);

// The video frames ffprobe reads in bytes written to dir, and what ffmpeg says decoding them
// (nothing for a clean file); -1 and its words when ffprobe fails.
struct Judged {
    long frames = -1;
    std::string decodeErrors;
};
Judged judgeWithFfmpeg(const kovra::test::ScratchDir& dir, const Bytes& bytes);

} // namespace kovra::avi::test
