#include "records/config_record.h"

#include <cstdio>

namespace kovra {

namespace {

std::uint8_t lowByte(std::int32_t value) {
    return static_cast<std::uint8_t>(value & 0xFF);
}

void putCount(ConfigRecord::Bytes& bytes, std::size_t offset, std::int32_t count) {
    bytes[offset] = lowByte(count >> 8);
    bytes[offset + 1] = lowByte(count);
}

std::int32_t getCount(const ConfigRecord::Bytes& bytes, std::size_t offset) {
    return bytes[offset] * 256 + bytes[offset + 1];
}

} // namespace

ConfigRecord::Bytes ConfigRecord::encode(const RecorderSettings& settings) {
    Bytes bytes{};
    bytes[kTriggerResolution] = lowByte(settings.triggerResolution);
    bytes[kLoopResolution] = lowByte(settings.loopResolution);
    bytes[kSensitivityStep] = lowByte(settings.sensitivityStep);
    putCount(bytes, kMaxGsensorFiles, settings.maxGsensorFiles);
    putCount(bytes, kMaxManualFiles, settings.maxManualFiles);
    putCount(bytes, kMaxCycleFiles, settings.maxCycleFiles);
    bytes[kOverwriteFlag] = settings.overwrite == 0 ? 1 : 0;
    bytes[kFrameRate] = lowByte(settings.frameRate);
    return bytes;
}

void ConfigRecord::decode(const Bytes& bytes, RecorderSettings& settings) {
    settings.triggerResolution = bytes[kTriggerResolution];
    settings.loopResolution = bytes[kLoopResolution];
    settings.sensitivityStep = bytes[kSensitivityStep];
    settings.maxGsensorFiles = getCount(bytes, kMaxGsensorFiles);
    settings.maxManualFiles = getCount(bytes, kMaxManualFiles);
    settings.maxCycleFiles = getCount(bytes, kMaxCycleFiles);
    settings.overwrite = bytes[kOverwriteFlag] == 0 ? 1 : 0;
    settings.frameRate = bytes[kFrameRate];
}

double ConfigRecord::sensitivityValue(std::int32_t step) {
    return step * 0.05;
}

std::string ConfigRecord::sensitivityText(std::int32_t step) {
    char text[32];
    std::snprintf(text, sizeof text, "%2.2f", sensitivityValue(step));
    return text;
}

} // namespace kovra
