// The card's two records as files: CONFIG.SYS read and written, TIME.txt written. The window
// and the command line both go through here; every write replaces its file whole.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "device/file_replacement.h"
#include "platform/platform.h"
#include "records/clock_record.h"
#include "records/config_record.h"
#include "records/recorder_settings.h"

namespace kovra {

constexpr const char* kConfigFileName = "CONFIG.SYS";
constexpr const char* kClockFileName = "TIME.txt";

// How reading a record went. A file shorter than the record is ShortRead, with its length.
struct RecordRead {
    OsError error = OsError::None;
    std::uint64_t length = 0; // the whole file's, when it could be opened
};

// The first size bytes of the file; a longer file is read no further.
RecordRead readRecord(Platform& platform, const char* path, std::uint8_t* bytes, std::size_t size);

// What reading one of the card's records found. Each caller words it in its own place (the
// command line, the gallery, the server); what counts as which is decided here alone.
enum class RecordState {
    Read,
    Missing,    // no such file
    WrongSize,  // length bytes: fewer than the record (a clock record: other than exactly 7)
    Unreadable, // error says why
    NotDigits,  // a clock record whose byte badByte is not two decimal digits
};

struct ConfigRead {
    RecordState state = RecordState::Read;
    OsError error = OsError::None;
    std::uint64_t length = 0;
    RecorderSettings settings; // where Read: the first 11 bytes of a file that may be longer
};
ConfigRead readConfigRecord(Platform& platform, const std::string& path);

struct ClockRead {
    RecordState state = RecordState::Read;
    OsError error = OsError::None;
    std::uint64_t length = 0;
    ClockRecord::Bytes bytes{};
    ClockFields fields;      // where Read
    std::size_t badByte = 0; // where NotDigits
};
ClockRead readClockRecord(Platform& platform, const std::string& path);

// False, with settings untouched, when the file cannot be read or holds fewer than 11 bytes.
// A longer file gives its first 11.
bool readConfig(Platform& platform, const char* path, RecorderSettings& settings);

// The one way a record reaches a file. makeBytes runs only once the file to write has been
// created, so that what it reads (the clock, a control) is as fresh as it can be.
template <class MakeBytes>
OsError writeRecord(Platform& platform, const std::string& path, MakeBytes makeBytes) {
    FileReplacement file(platform, path);
    if (!file.isOpen())
        return file.openError();
    const auto bytes = makeBytes();
    file.write(bytes.data(), bytes.size());
    return file.commit();
}

inline OsError writeConfig(Platform& platform, const std::string& path,
                           const RecorderSettings& settings) {
    return writeRecord(platform, path, [&] { return ConfigRecord::encode(settings); });
}

inline OsError writeClock(Platform& platform, const std::string& path, const ClockFields& fields) {
    return writeRecord(platform, path, [&] { return ClockRecord::encode(fields); });
}

} // namespace kovra
