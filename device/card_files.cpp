#include "device/card_files.h"

#include "platform/file.h"

namespace kovra {

RecordRead readRecord(Platform& platform, const char* path, std::uint8_t* bytes, std::size_t size) {
    RecordRead result;
    File file(platform, path, OpenMode::ReadShared);
    if (!file.isOpen()) {
        result.error = file.openError();
        return result;
    }
    // Without a length the read below still tells a short file; the length only words it.
    if (platform.fileSize(file.id(), result.length) != OsError::None)
        result.length = 0;
    result.error = file.read(bytes, size);
    return result;
}

namespace {

// The state a read leaves before the bytes are decoded; exact where only a file of the record's
// own size holds one.
RecordState stateOf(const RecordRead& read, std::size_t size, bool exact) {
    if (read.error == OsError::NotFound)
        return RecordState::Missing;
    if (read.error == OsError::ShortRead ||
        (exact && read.error == OsError::None && read.length != size))
        return RecordState::WrongSize;
    return read.error == OsError::None ? RecordState::Read : RecordState::Unreadable;
}

} // namespace

ConfigRead readConfigRecord(Platform& platform, const std::string& path) {
    ConfigRead result;
    ConfigRecord::Bytes bytes{};
    RecordRead read = readRecord(platform, path.c_str(), bytes.data(), bytes.size());
    result.error = read.error;
    result.length = read.length;
    result.state = stateOf(read, bytes.size(), false);
    if (result.state == RecordState::Read)
        ConfigRecord::decode(bytes, result.settings);
    return result;
}

ClockRead readClockRecord(Platform& platform, const std::string& path) {
    ClockRead result;
    RecordRead read = readRecord(platform, path.c_str(), result.bytes.data(), result.bytes.size());
    result.error = read.error;
    result.length = read.length;
    result.state = stateOf(read, result.bytes.size(), true);
    if (result.state == RecordState::Read &&
        !ClockRecord::decode(result.bytes, result.fields, result.badByte))
        result.state = RecordState::NotDigits;
    return result;
}

bool readConfig(Platform& platform, const char* path, RecorderSettings& settings) {
    ConfigRecord::Bytes bytes{};
    if (readRecord(platform, path, bytes.data(), bytes.size()).error != OsError::None)
        return false;
    ConfigRecord::decode(bytes, settings);
    return true;
}

} // namespace kovra
