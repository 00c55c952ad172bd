#include "tests/pictures/ffmpeg_frames.h"

#include <cmath>
#include <limits>

#include "tests/support/process.h"

namespace kovra::pictures::test {

namespace {

constexpr std::uint8_t kPrefix = 0xFF, kSoi = 0xD8, kDht = 0xC4, kSos = 0xDA, kCom = 0xFE;
constexpr double kPeak = 255.0;

} // namespace

bool runFfmpeg(const kovra::test::ScratchDir& dir, const std::vector<std::string>& args,
               std::string& error) {
    std::vector<std::string> all = {"ffmpeg", "-v", "error", "-nostdin", "-y"};
    all.insert(all.end(), args.begin(), args.end());
    std::string log = dir.file("ffmpeg.txt");
    if (kovra::test::runProgram(all, log) == 0)
        return true;
    error = kovra::test::readText(log);
    return false;
}

bool hideTables(Bytes& bytes, std::size_t at) {
    if (at + 4 > bytes.size() || bytes[at] != kPrefix || bytes[at + 1] != kSoi)
        return false;
    for (std::size_t pos = at + 2; pos + 4 <= bytes.size() && bytes[pos] == kPrefix;) {
        std::uint8_t marker = bytes[pos + 1];
        if (marker == kSos)
            return true;
        if (marker == kDht)
            bytes[pos + 1] = kCom;
        pos += 2 + (std::size_t{bytes[pos + 2]} << 8 | bytes[pos + 3]);
    }
    return false;
}

Bytes ffmpegRgb(const kovra::test::ScratchDir& dir, const std::string& file, unsigned width,
                unsigned height) {
    std::string out = dir.file("decoded.rgb"), error;
    std::string scale =
        "scale=" + std::to_string(width) + ":" + std::to_string(height) + ":flags=area";
    if (!runFfmpeg(dir,
                   {"-i", file, "-vf", scale, "-frames:v", "1", "-f", "rawvideo", "-pix_fmt",
                    "rgb24", out},
                   error))
        return {};
    return kovra::test::readAll(out);
}

double psnr(const Bytes& a, const Bytes& b) {
    if (a.size() != b.size() || a.empty())
        return 0;
    double squares = 0;
    for (std::size_t i = 0; i < a.size(); ++i) {
        double d = static_cast<double>(a[i]) - b[i];
        squares += d * d;
    }
    if (squares == 0)
        return std::numeric_limits<double>::infinity();
    return 10 * std::log10(kPeak * kPeak * a.size() / squares);
}

} // namespace kovra::pictures::test
