// The player's sound: a WAVE of the recording's own PCM holding exactly the samples of the
// frames that start in the span, the same samples a clip of that span holds, as ffmpeg decodes
// both; spans past the end, crossing no frame, longer than the video, and none at all.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "avi/riff.h"
#include "clips/clip_job.h"
#include "player/player.h"
#include "player/sound.h"
#include "tests/player/player_card.h"

namespace kovra::player::test {
namespace {

constexpr double kNoTime = std::numeric_limits<double>::quiet_NaN();
constexpr std::uint16_t kPcm = 1, kMono = 1, kBits = 16;
// The sample nearest to when frame n starts, half rounded up, as a clip cuts.
std::uint64_t sampleOfFrame(std::uint64_t n) {
    return (2 * n * kCardSampleRate + kCardFps) / (2 * kCardFps);
}
constexpr double kPastAnyCard = 1e6;
// The first frame that starts at or after seconds.
std::uint64_t frameAtOrAfter(double seconds) {
    seconds = std::min(std::max(seconds, 0.0), kPastAnyCard);
    return static_cast<std::uint64_t>(std::ceil(seconds * kCardFps - 1e-9));
}

class PlayerSoundTest : public PlayerCardTest {
  protected:
    void SetUp() override {
        PlayerCardTest::SetUp();
        if (IsSkipped())
            return;
        sound_ = ffmpegSound(card_.dir, card_.original);
        ASSERT_EQ(sound_.size(), std::size_t{kCardSampleRate} * kCardSeconds * kSampleBytes);
    }
    Bytes sound_;
};

enum class Expect { Samples, NotFound, BadRequest };

struct SpanCase {
    const char* fault;
    bool cutRecording;
    double from, to;
    Expect expect;
};

TEST_F(PlayerSoundTest, SamplesAreThoseAClipOfTheSpanHolds) {
    const SpanCase cases[] = {
        {"the sound cut at the span's edges, not where its frames start and end", false, 0.5, 1.5,
         Expect::Samples},
        {"a span starting just on a frame taken a frame late", false, 1.0, 2.0, Expect::Samples},
        {"a span crossing no frame's start answers a frame's sound, or fails", false, 1.01, 1.05,
         Expect::Samples},
        {"a span longer than the video reads past the sound's end", false, 3.5, 1e300,
         Expect::Samples},
        {"a span from before the start refused, or read before the data", false, -5, 0.7,
         Expect::Samples},
        {"a recording without an index gives no sound", true, 0.2, 1.3, Expect::Samples},
        {"a span past the end answers an empty success", false, 4.5, 5, Expect::NotFound},
        {"a reversed span planned", false, 2, 1, Expect::BadRequest},
        {"a span of no number planned", false, kNoTime, 1, Expect::BadRequest},
    };
    Player player(systemPlatform(), {card_.dir.file("save"), 0, kDefaultCacheBytes});
    for (const SpanCase& c : cases) {
        SCOPED_TRACE(c.fault);
        const std::string& video = c.cutRecording ? card_.cut : card_.closed;
        SoundAnswer answer = player.sound(video, c.from, c.to);
        if (c.expect != Expect::Samples) {
            EXPECT_EQ(answer.failure.refusal,
                      c.expect == Expect::NotFound ? Refusal::NotFound : Refusal::BadRequest)
                << answer.failure.text;
            EXPECT_TRUE(answer.wav.empty());
            continue;
        }
        ASSERT_EQ(answer.failure.refusal, Refusal::None) << answer.failure.text;
        std::uint64_t frames = c.cutRecording ? card_.cutFrames : kCardFrames;
        std::uint64_t first = frameAtOrAfter(c.from);
        std::uint64_t end = std::min(frameAtOrAfter(c.to), frames);
        std::uint64_t from = sampleOfFrame(first), to = first < end ? sampleOfFrame(end) : from;
        Bytes expected(sound_.begin() + std::ptrdiff_t(from * kSampleBytes),
                       sound_.begin() + std::ptrdiff_t(to * kSampleBytes));
        ASSERT_EQ(answer.wav.size(), kWavHeaderSize + expected.size());
        EXPECT_EQ(answer.samples, to - from);
        // The header as a WAVE reader takes it: its sizes, PCM, mono, 8 kHz, 16-bit.
        const std::uint8_t* h = answer.wav.data();
        EXPECT_EQ(std::string(h, h + 4) + std::string(h + 8, h + 16) + std::string(h + 36, h + 40),
                  "RIFFWAVEfmt data");
        std::vector<std::size_t> fields = {avi::le32(h + 4),  avi::le16(h + 20), avi::le16(h + 22),
                                           avi::le32(h + 24), avi::le32(h + 28), avi::le16(h + 32),
                                           avi::le16(h + 34), avi::le32(h + 40)};
        EXPECT_EQ(fields, (std::vector<std::size_t>{answer.wav.size() - 8, kPcm, kMono,
                                                    kCardSampleRate, kCardSampleRate * kSampleBytes,
                                                    kSampleBytes, kBits, expected.size()}));
        EXPECT_TRUE(Bytes(answer.wav.begin() + kWavHeaderSize, answer.wav.end()) == expected)
            << "not the samples of frames " << first << " to " << end;
        if (expected.empty())
            continue;
        EXPECT_DOUBLE_EQ(answer.fromSeconds, static_cast<double>(first) / kCardFps);
        EXPECT_DOUBLE_EQ(answer.toSeconds, static_cast<double>(end) / kCardFps);
        std::string wav = card_.dir.file("span.wav");
        kovra::test::writeAll(wav, answer.wav);
        EXPECT_TRUE(ffmpegSound(card_.dir, wav) == expected) << "ffmpeg reads the WAV otherwise";

        // The clip of the same span holds the same samples.
        avi::SourceSpan span;
        span.fromMs = std::llround(std::max(c.from, 0.0) * 1000);
        span.toMs = std::llround(std::min(c.to, kPastAnyCard) * 1000);
        std::string clip = card_.dir.file("span.avi");
        ASSERT_TRUE(clips::clipPart(systemPlatform(), video, span, clip).written());
        EXPECT_TRUE(ffmpegSound(card_.dir, clip) == expected) << "the clip cuts elsewhere";
    }
}

} // namespace
} // namespace kovra::player::test
