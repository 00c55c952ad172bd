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

bool readConfig(Platform& platform, const char* path, RecorderSettings& settings) {
    ConfigRecord::Bytes bytes{};
    if (readRecord(platform, path, bytes.data(), bytes.size()).error != OsError::None)
        return false;
    ConfigRecord::decode(bytes, settings);
    return true;
}

} // namespace kovra
