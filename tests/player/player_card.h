// A card of recordings ffmpeg makes as the recorder does (MJPEG 640x480 at 15 fps without
// Huffman tables, 8 kHz mono PCM, signed "MARS"), one closed and one a power cut ended, for
// the player's tests: the native run's only.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/support/scratch_dir.h"

namespace kovra::player::test {

using Bytes = std::vector<std::uint8_t>;

constexpr unsigned kCardFps = 15, kCardSampleRate = 8000, kCardSeconds = 4;
constexpr std::uint64_t kCardFrames = std::uint64_t{kCardFps} * kCardSeconds;
constexpr std::size_t kSampleBytes = 2; // 16-bit mono

struct PlayerCard {
    kovra::test::ScratchDir dir;
    std::string folder;   // the card's folder
    std::string original; // ffmpeg's own file, its tables kept, outside the card
    std::string closed;   // MOV0001.avi: the recording closed, with its index
    std::string cut;      // MOV0002.avi: the first part of it, as a power cut leaves one
    Bytes closedBytes, cutBytes;
    std::uint64_t cutFrames = 0; // the complete frames the cut one keeps

    // False with ffmpeg's words in error where it could not be made.
    bool make(std::string& error);
};

// The tests over such a card, skipped (saying why) where ffmpeg could not make it.
class PlayerCardTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string error;
        if (!card_.make(error))
            GTEST_SKIP() << "ffmpeg could not make the recordings (Debian package ffmpeg): "
                         << error;
    }
    PlayerCard card_;
};

// The payload of video frame n of the AVI in bytes, as a whole reading of it finds it; empty
// past its last frame.
Bytes framePayload(const Bytes& video, std::uint64_t n);

// What ffmpeg decodes of file: its sound as s16le, or frame n as RGB (empty on failure).
Bytes ffmpegSound(const kovra::test::ScratchDir& dir, const std::string& file);
Bytes ffmpegFrameRgb(const kovra::test::ScratchDir& dir, const std::string& file, std::uint64_t n);

} // namespace kovra::player::test
