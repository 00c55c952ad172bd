#include "records/config_record.h"

#include <gtest/gtest.h>

#include <random>

#include "platform/platform.h"
#include "tests/support/bytes.h"
#include "tests/support/scratch_dir.h"

namespace kovra {
namespace {

using test::hexBytes;
using test::toHex;

ConfigRecord::Bytes recordOf(const std::string& hex) {
    std::vector<unsigned char> bytes = hexBytes(hex);
    ConfigRecord::Bytes record{};
    EXPECT_EQ(bytes.size(), record.size());
    std::copy(bytes.begin(), bytes.end(), record.begin());
    return record;
}

std::string encodedCounts(std::int32_t count) {
    RecorderSettings settings;
    settings.maxGsensorFiles = count;
    settings.maxManualFiles = count;
    settings.maxCycleFiles = count;
    return toHex(ConfigRecord::encode(settings)).substr(9, 17);
}

bool sameSettings(const RecorderSettings& a, const RecorderSettings& b) {
    return a.maxCycleFiles == b.maxCycleFiles && a.maxGsensorFiles == b.maxGsensorFiles &&
           a.maxManualFiles == b.maxManualFiles && a.triggerResolution == b.triggerResolution &&
           a.loopResolution == b.loopResolution && a.frameRate == b.frameRate &&
           a.overwrite == b.overwrite && a.sensitivityStep == b.sensitivityStep;
}

// The recorder reads this exact layout; any reordering breaks every card.
TEST(ConfigRecordEncode, DefaultSettings) {
    EXPECT_EQ(toHex(ConfigRecord::encode(RecorderSettings{})), "00 00 08 00 14 00 14 00 14 01 00");
}

// Field order on the card differs from the window's: counts GSENSOR, MANUAL, CYCLE; fps last.
TEST(ConfigRecordEncode, EveryFieldAtItsOwnOffset) {
    RecorderSettings settings;
    settings.triggerResolution = 1;
    settings.loopResolution = 1;
    settings.sensitivityStep = 20;
    settings.maxGsensorFiles = 10;
    settings.maxManualFiles = 30;
    settings.maxCycleFiles = 40;
    settings.overwrite = 1;
    settings.frameRate = 3;
    EXPECT_EQ(toHex(ConfigRecord::encode(settings)), "01 01 14 00 0A 00 1E 00 28 00 03");
}

// Counts are big-endian and only their low 16 bits survive.
TEST(ConfigRecordEncode, CountsKeepTheirLow16BitsBigEndian) {
    EXPECT_EQ(encodedCounts(256), "01 00 01 00 01 00");
    EXPECT_EQ(encodedCounts(65535), "FF FF FF FF FF FF");
    EXPECT_EQ(encodedCounts(65536), "00 00 00 00 00 00");
    EXPECT_EQ(encodedCounts(70000), "11 70 11 70 11 70");
    EXPECT_EQ(encodedCounts(-1), "FF FF FF FF FF FF");
}

// The flag is inverted: index 0 ("Yes") is stored as 1; "No" and "none checked" as 0.
TEST(ConfigRecordEncode, OverwriteFlagIsInverted) {
    RecorderSettings settings;
    settings.overwrite = 1;
    EXPECT_EQ(ConfigRecord::encode(settings)[ConfigRecord::kOverwriteFlag], 0);
    settings.overwrite = kNoRadioChecked;
    EXPECT_EQ(ConfigRecord::encode(settings)[ConfigRecord::kOverwriteFlag], 0);
    settings.overwrite = 0;
    EXPECT_EQ(ConfigRecord::encode(settings)[ConfigRecord::kOverwriteFlag], 1);
}

// An unchecked radio group (-1) is stored as 0xFF, not as a valid index.
TEST(ConfigRecordEncode, NoButtonCheckedIsFF) {
    RecorderSettings settings;
    settings.triggerResolution = kNoRadioChecked;
    settings.loopResolution = kNoRadioChecked;
    settings.frameRate = kNoRadioChecked;
    ConfigRecord::Bytes bytes = ConfigRecord::encode(settings);
    EXPECT_EQ(bytes[ConfigRecord::kTriggerResolution], 0xFF);
    EXPECT_EQ(bytes[ConfigRecord::kLoopResolution], 0xFF);
    EXPECT_EQ(bytes[ConfigRecord::kFrameRate], 0xFF);
}

// The card's example record must come back as the values the window shows.
TEST(ConfigRecordDecode, ExampleRecord) {
    RecorderSettings settings;
    ConfigRecord::decode(recordOf("01 01 14 00 0A 00 1E 00 28 00 03"), settings);
    EXPECT_EQ(settings.triggerResolution, 1);
    EXPECT_EQ(settings.loopResolution, 1);
    EXPECT_EQ(settings.sensitivityStep, 20);
    EXPECT_EQ(settings.maxGsensorFiles, 10);
    EXPECT_EQ(settings.maxManualFiles, 30);
    EXPECT_EQ(settings.maxCycleFiles, 40);
    EXPECT_EQ(settings.overwrite, 1);
    EXPECT_EQ(settings.frameRate, 3);
    EXPECT_EQ(ConfigRecord::sensitivityText(settings.sensitivityStep), "1.00");
}

// Any non-zero overwrite byte means "Yes"; only 0 means "No".
TEST(ConfigRecordDecode, OverwriteByte) {
    RecorderSettings settings;
    ConfigRecord::decode(recordOf("00 00 08 00 14 00 14 00 14 00 00"), settings);
    EXPECT_EQ(settings.overwrite, 1);
    ConfigRecord::decode(recordOf("00 00 08 00 14 00 14 00 14 01 00"), settings);
    EXPECT_EQ(settings.overwrite, 0);
    ConfigRecord::decode(recordOf("00 00 08 00 14 00 14 00 14 80 00"), settings);
    EXPECT_EQ(settings.overwrite, 0);
}

// Out-of-group bytes are kept as they are (no button checked), never clamped or rejected.
TEST(ConfigRecordDecode, KeepsOddValuesUnsigned) {
    RecorderSettings settings;
    ConfigRecord::decode(recordOf("07 FF FF FF FF 80 00 00 01 01 09"), settings);
    EXPECT_EQ(settings.triggerResolution, 7);
    EXPECT_EQ(settings.loopResolution, 255);
    EXPECT_EQ(settings.sensitivityStep, 255);
    EXPECT_EQ(settings.maxGsensorFiles, 65535);
    EXPECT_EQ(settings.maxManualFiles, 32768);
    EXPECT_EQ(settings.maxCycleFiles, 1);
    EXPECT_EQ(settings.frameRate, 9);
}

// Every record the recorder could hold (overwrite byte 0 or 1) survives decode then encode.
TEST(ConfigRecordProperty, CanonicalRecordsRoundTrip) {
    std::mt19937 random(20071016);
    std::uniform_int_distribution<int> byte(0, 255);
    for (int i = 0; i < 20000; ++i) {
        ConfigRecord::Bytes record{};
        for (auto& b : record)
            b = static_cast<std::uint8_t>(byte(random));
        record[ConfigRecord::kOverwriteFlag] &= 1;
        RecorderSettings settings;
        ConfigRecord::decode(record, settings);
        ASSERT_EQ(toHex(ConfigRecord::encode(settings)), toHex(record)) << "iteration " << i;
    }
}

// Settings within what the record holds come back unchanged; wider ones come back as their
// low bits, never as anything else.
TEST(ConfigRecordProperty, SettingsRoundTripWithinTheRecordsReach) {
    std::mt19937 random(1999);
    std::uniform_int_distribution<std::int32_t> any(INT32_MIN, INT32_MAX);
    std::uniform_int_distribution<std::int32_t> byte(0, 255), count(0, 65535), flag(0, 1);
    for (int i = 0; i < 20000; ++i) {
        RecorderSettings settings;
        settings.triggerResolution = byte(random);
        settings.loopResolution = byte(random);
        settings.frameRate = byte(random);
        settings.sensitivityStep = byte(random);
        settings.maxCycleFiles = count(random);
        settings.maxGsensorFiles = count(random);
        settings.maxManualFiles = count(random);
        settings.overwrite = flag(random);
        RecorderSettings back;
        ConfigRecord::decode(ConfigRecord::encode(settings), back);
        ASSERT_TRUE(sameSettings(settings, back)) << "iteration " << i;

        RecorderSettings wide = settings;
        wide.maxCycleFiles = any(random);
        wide.triggerResolution = any(random);
        ConfigRecord::decode(ConfigRecord::encode(wide), back);
        ASSERT_EQ(back.maxCycleFiles, wide.maxCycleFiles & 0xFFFF) << "iteration " << i;
        ASSERT_EQ(back.triggerResolution, wide.triggerResolution & 0xFF) << "iteration " << i;
    }
}

// The window shows the step with "%2.2f" of step x 0.05, even outside the slider's range.
TEST(SensitivityScale, TextOfSteps) {
    EXPECT_EQ(ConfigRecord::sensitivityText(2), "0.10");
    EXPECT_EQ(ConfigRecord::sensitivityText(8), "0.40");
    EXPECT_EQ(ConfigRecord::sensitivityText(20), "1.00");
    EXPECT_EQ(ConfigRecord::sensitivityText(40), "2.00");
    EXPECT_EQ(ConfigRecord::sensitivityText(0), "0.00");
    EXPECT_EQ(ConfigRecord::sensitivityText(50), "2.50");
    EXPECT_EQ(ConfigRecord::sensitivityText(255), "12.75");
    EXPECT_DOUBLE_EQ(ConfigRecord::sensitivityValue(8), 0.4);
}

} // namespace
} // namespace kovra
