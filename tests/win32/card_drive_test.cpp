// The card as Windows shows it: a folder that Wine maps as a removable drive, reached through
// the real Win32 calls.
#include <gtest/gtest.h>

#include <windows.h>

#include "device/card_files.h"
#include "device/device_locator.h"
#include "platform/file.h"
#include "records/clock_record.h"
#include "records/config_record.h"
#include "tests/support/bytes.h"
#include "tests/support/scratch_dir.h"
#include "tests/support/wine_drives.h"

namespace kovra {
namespace {

using test::toHex;

// With only C: and Z: (both fixed) there is no card, and the root stays at Y:\.
TEST(NoCard, NoRemovableDrive) {
    KOVRA_REQUIRE_DRIVES(test::kDrivesNone);
    DeviceLocation found = DeviceLocator(systemPlatform()).locate();
    EXPECT_FALSE(found.devicePresent);
    EXPECT_STREQ(found.driveRoot.c_str(), "Y:\\");
}

// Fixed, optical and network drives are not the card.
TEST(NonRemovableDrives, AreNotTheCard) {
    KOVRA_REQUIRE_DRIVES(test::kDrivesNotRemovable);
    DeviceLocation found = DeviceLocator(systemPlatform()).locate();
    EXPECT_FALSE(found.devicePresent);
    EXPECT_STREQ(found.driveRoot.c_str(), "Y:\\");
}

// Of two removable drives the lower letter is the card.
TEST(TwoCards, LowerRemovableLetterWins) {
    KOVRA_REQUIRE_DRIVES(test::kDrivesTwoCards);
    DeviceLocation found = DeviceLocator(systemPlatform()).locate();
    EXPECT_TRUE(found.devicePresent);
    EXPECT_STREQ(found.driveRoot.c_str(), "E:\\");
}

// The records written on the card hold exactly their bytes, read back by other means.
TEST(TwoCards, RecordsWrittenOnTheCard) {
    KOVRA_REQUIRE_DRIVES(test::kDrivesTwoCards);
    DeviceLocation found = DeviceLocator(systemPlatform()).locate();
    ASSERT_TRUE(found.devicePresent);
    std::string config = std::string(found.driveRoot.c_str()) + "CONFIG.SYS";
    std::string clock = std::string(found.driveRoot.c_str()) + "TIME.txt";

    RecorderSettings settings;
    settings.triggerResolution = 1;
    settings.maxCycleFiles = 40;
    ASSERT_EQ(writeConfig(systemPlatform(), config, settings), OsError::None);
    EXPECT_EQ(toHex(test::readAll(config)), "01 00 08 00 14 00 14 00 28 01 00");

    ClockFields fields;
    fields.year = 2007;
    fields.month = 10;
    fields.day = 16;
    fields.hour = 8;
    fields.minute = 16;
    fields.second = 47;
    ASSERT_EQ(writeClock(systemPlatform(), clock, fields), OsError::None);
    EXPECT_EQ(toHex(test::readAll(clock)), "20 07 10 16 08 16 47");
}

// Reading CONFIG.SYS works while another program holds it open for reading.
TEST(TwoCards, ReadWhileAnotherReaderHoldsTheFile) {
    KOVRA_REQUIRE_DRIVES(test::kDrivesTwoCards);
    const char* path = "E:\\CONFIG.SYS";
    test::writeAll(path, test::hexBytes("01 01 14 00 0A 00 1E 00 28 00 03"));
    HANDLE other = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(other, INVALID_HANDLE_VALUE);
    RecorderSettings settings;
    EXPECT_TRUE(readConfig(systemPlatform(), path, settings));
    EXPECT_EQ(settings.maxCycleFiles, 40);
    CloseHandle(other);
}

// A file held open without sharing cannot be read, and the settings stay as they were.
TEST(TwoCards, ReadRefusedWhileAWriterHoldsTheFile) {
    KOVRA_REQUIRE_DRIVES(test::kDrivesTwoCards);
    const char* path = "E:\\CONFIG.SYS";
    test::writeAll(path, test::hexBytes("01 01 14 00 0A 00 1E 00 28 00 03"));
    HANDLE writer =
        CreateFileA(path, GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(writer, INVALID_HANDLE_VALUE);
    RecorderSettings settings;
    EXPECT_FALSE(readConfig(systemPlatform(), path, settings));
    EXPECT_EQ(settings.maxCycleFiles, 20);
    CloseHandle(writer);
}

} // namespace
} // namespace kovra
