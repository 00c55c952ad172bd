// An output copied ahead on a guess, then written by its plan: whatever the guess, the file
// holds exactly what the plan alone writes.
#include "device/copy_ahead.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "avi/video_reading.h"
#include "avi/writer.h"
#include "device/video_output.h"
#include "platform/forwarding_platform.h"
#include "tests/support/bytes.h"
#include "tests/support/scratch_dir.h"

namespace kovra {
namespace {

using Bytes = std::vector<unsigned char>;

constexpr int kMostWaits = 5000;

std::uint64_t fileSize(const std::string& path) {
    std::error_code error;
    std::uintmax_t size = std::filesystem::file_size(path, error);
    return error ? 0 : size;
}

// FAT through FUSE (fusefat): a file cut shorter and then written again keeps its old end; a
// cut after the last write holds.
class CutLostOnWrite : public ForwardingPlatform {
  public:
    OsError setSize(FileId file, std::uint64_t size) override {
        std::uint64_t now = 0;
        if (real_.fileSize(file, now) != OsError::None || size >= now)
            return real_.setSize(file, size);
        pendingCut_[file] = size;
        return real_.seek(file, static_cast<std::uint32_t>(size));
    }
    OsError write(FileId file, const void* data, std::size_t size) override {
        pendingCut_.erase(file);
        return real_.write(file, data, size);
    }
    OsError copyRange(FileId from, std::uint64_t offset, FileId to, std::uint64_t size) override {
        pendingCut_.erase(to);
        return real_.copyRange(from, offset, to, size);
    }
    OsError flush(FileId file) override {
        auto cut = pendingCut_.find(file);
        if (cut != pendingCut_.end() && real_.setSize(file, cut->second) != OsError::None)
            return OsError::Other;
        pendingCut_.erase(file);
        return real_.flush(file);
    }

  private:
    std::map<FileId, std::uint64_t> pendingCut_;
};

enum class Guess {
    Right,
    Nothing,
    WrongByte,
    LaterOffset,
    ShorterThenBytes,
    WholeSource,
    Longer,
    OtherFile
};

// Each guess copied ahead through platform, and the file compared with what the plan writes.
void checkEveryGuess(Platform& platform, const char* where) {
    SCOPED_TRACE(where);
    test::ScratchDir dir;
    for (const char* video : {"garbage_between_chunks", "cut_in_frame", "sound_mars"}) {
        Bytes bytes = test::readAll(std::string(KOVRA_AVI_CORPUS) + "/" + video + ".avi");
        avi::MemorySource memory(bytes);
        avi::VideoReading reading = avi::readVideo(memory, avi::Chunks::Keep);
        avi::MemoryOutput expected({&memory});
        avi::OutputPieceList pieces;
        ASSERT_TRUE(avi::writeRepair(reading, expected).written) << video;
        ASSERT_TRUE(avi::writeRepair(reading, pieces).written) << video;
        std::string in = dir.file("in.avi"), twin = dir.file("twin.avi"), out = dir.file("out.avi");
        test::writeAll(in, bytes);
        test::writeAll(twin, bytes);
        for (Guess kind :
             {Guess::Right, Guess::Nothing, Guess::WrongByte, Guess::LaterOffset,
              Guess::ShorterThenBytes, Guess::WholeSource, Guess::Longer, Guess::OtherFile}) {
            VideoFileSource source(platform, in), guessed(platform, in), other(platform, twin);
            std::vector<avi::OutputPiece> guess = pieces.throughSourceBytes();
            if (kind == Guess::WrongByte)
                for (avi::OutputPiece& piece : guess)
                    if (!piece.fromSource) {
                        piece.bytes[piece.bytes.size() / 2] ^= 0xFF;
                        break;
                    }
            avi::OutputPiece extra;
            extra.bytes.assign(64, 0x30);
            extra.size = extra.bytes.size();
            if (kind == Guess::Nothing)
                guess.clear();
            if (kind == Guess::WholeSource) {
                guess.assign(1, avi::OutputPiece{});
                guess[0].fromSource = true;
                guess[0].size = bytes.size();
            }
            if (kind == Guess::LaterOffset) {
                guess.back().offset += 1;
                guess.back().size -= 1;
            }
            if (kind == Guess::ShorterThenBytes)
                guess.front().size /= 2;
            if (kind == Guess::ShorterThenBytes || kind == Guess::Longer)
                guess.insert(kind == Guess::Longer ? guess.end() : guess.begin() + 1, extra);
            FileReplacement file(platform, out);
            {
                CopyAhead ahead(guess, {kind == Guess::OtherFile ? &other : &guessed}, file);
                // The copy is let finish first, so that every guess that parts from the plan
                // has copied past where it does.
                std::uint64_t total = 0;
                for (const avi::OutputPiece& piece : guess)
                    total += piece.size;
                for (int wait = 0; wait < kMostWaits && fileSize(file.temporaryPath()) < total;
                     ++wait)
                    std::this_thread::sleep_for(std::chrono::milliseconds(1));
                VideoOutput sink(file, {&source}, &ahead);
                bool written = avi::writeRepair(reading, sink).written;
                EXPECT_TRUE(sink.settle() && written) << video << ", guess " << int(kind);
            }
            EXPECT_EQ(file.commit(), OsError::None) << video << ", guess " << int(kind);
            EXPECT_EQ(test::firstDifference(test::readAll(out), expected.bytes()), "")
                << video << ", guess " << int(kind);
        }
    }
}

// Guards against keeping guessed bytes the plan does not write: a piece parting from the plan
// in its middle, the whole source as export guesses it, a wrong byte, a guess longer than the
// output, another file of the same bytes; and, where a cut is lost once the file is written
// again, the end of what was copied ahead.
TEST(CopyAhead, FileHoldsWhatThePlanWritesWhateverTheGuess) {
    checkEveryGuess(systemPlatform(), "this system");
    CutLostOnWrite fuseFat;
    checkEveryGuess(fuseFat, "a cut lost once written again");
}

} // namespace
} // namespace kovra
