// Every seed of the fuzzer and every input it once failed on, repaired: the bytes must stay
// what the repair wrote before the reader and writer were reshaped, so that a rewrite of
// either can be told apart from a change of what a repair is.
#include <gtest/gtest.h>

#include "tests/avi/avi_bytes.h"

namespace kovra::avi::test {
namespace {

// 64-bit FNV-1a: cheap, and a changed byte anywhere changes it.
std::uint64_t fnv1a(const Bytes& bytes) {
    std::uint64_t hash = 0xcbf29ce484222325ull;
    for (std::uint8_t b : bytes)
        hash = (hash ^ b) * 0x100000001b3ull;
    return hash;
}

struct RepairedSeed {
    const char* folder; // KOVRA_AVI_CORPUS or KOVRA_AVI_FOUND
    const char* name;
    std::size_t size; // of the repair; 0: refused
    std::uint64_t hash;
};

// Several damaged copies of the clip repair to the same bytes: its sound RIFF twin.
const RepairedSeed kSeeds[] = {
    {KOVRA_AVI_CORPUS, "absolute_index", 11884, 0x95ce766b9a4c32ccull},
    {KOVRA_AVI_CORPUS, "avih_streams_200", 11884, 0x1ddb150de31af6b6ull},
    {KOVRA_AVI_CORPUS, "avix_part", 11884, 0x1ddb150de31af6b6ull},
    {KOVRA_AVI_CORPUS, "cut_in_chunk_header", 5650, 0x06d7ed9bcc7f9e6cull},
    {KOVRA_AVI_CORPUS, "cut_in_frame", 9026, 0x3691ee71f50cbf86ull},
    {KOVRA_AVI_CORPUS, "cut_in_hdrl", 0, 0},
    {KOVRA_AVI_CORPUS, "cut_in_index", 11884, 0x1ddb150de31af6b6ull},
    {KOVRA_AVI_CORPUS, "cut_on_boundary", 6954, 0x2ba4154cc06d970cull},
    {KOVRA_AVI_CORPUS, "garbage_between_chunks", 11884, 0x1ddb150de31af6b6ull},
    {KOVRA_AVI_CORPUS, "index_entry_outside", 11884, 0x1ddb150de31af6b6ull},
    {KOVRA_AVI_CORPUS, "lying_chunk_size", 9812, 0x02b62093940d2a2dull},
    {KOVRA_AVI_CORPUS, "no_index", 11884, 0x1ddb150de31af6b6ull},
    {KOVRA_AVI_CORPUS, "rec_lists", 11920, 0xb5e81a532ad049f6ull},
    {KOVRA_AVI_CORPUS, "sizes_zeroed", 11884, 0x1ddb150de31af6b6ull},
    {KOVRA_AVI_CORPUS, "sound_mars", 11884, 0xfeaa398fecdcf0aeull},
    {KOVRA_AVI_CORPUS, "sound_riff", 11884, 0xfeaa398fecdcf0aeull},
    {KOVRA_AVI_CORPUS, "zero_run_then_chunks", 7202, 0xbd1346bbe35aa9e2ull},
    {KOVRA_AVI_FOUND, "last_frame_vouched_for_by_a_dropped_one", 5650, 0x8447f5ed220164baull},
    {KOVRA_AVI_FOUND, "walked_frame_without_end_1", 0, 0},
    {KOVRA_AVI_FOUND, "walked_frame_without_end_2", 7202, 0xe5fafe1998d44152ull},
};

class AviCorpusRepair : public ::testing::TestWithParam<RepairedSeed> {};

// Guards against any change in a repair's bytes, a refusal among them, that no one meant.
TEST_P(AviCorpusRepair, WritesTheBytesItAlwaysWrote) {
    const RepairedSeed& seed = GetParam();
    Bytes input = readFile(std::string(seed.folder) + "/" + seed.name + ".avi");
    ASSERT_FALSE(input.empty()) << seed.name << " is missing";
    Repaired repaired = repairBytes(input);
    ASSERT_EQ(repaired.outcome.written, seed.size != 0);
    EXPECT_EQ(repaired.bytes.size(), seed.size);
    EXPECT_EQ(fnv1a(repaired.bytes), seed.size != 0 ? seed.hash : fnv1a({}));
}

INSTANTIATE_TEST_SUITE_P(Seed, AviCorpusRepair, ::testing::ValuesIn(kSeeds),
                         [](const ::testing::TestParamInfo<RepairedSeed>& param) {
                             return caseName(param.param.name);
                         });

} // namespace
} // namespace kovra::avi::test
