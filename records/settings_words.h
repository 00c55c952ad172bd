// The recorder's settings in the window's own words: its labels, and the text of each choice.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "records/recorder_settings.h"

namespace kovra {

struct SettingLine {
    std::string label;
    std::string value;
};

// Every setting, in the window's order; a stored value outside its choices shows as
// "unknown (N)".
std::vector<SettingLine> describeSettings(const RecorderSettings& settings);

// The text of one choice, or "unknown (N)" for an index outside them.
std::string choiceText(const std::vector<std::string>& choices, std::int32_t index);

// The choices as the window names them, index for index.
const std::vector<std::string>& triggerResolutionChoices(); // "QVGA", "VGA"
const std::vector<std::string>& frameRateChoices();         // "30FPS" ... "13.3FPS"
const std::vector<std::string>& loopResolutionChoices();
const std::vector<std::string>& overwriteChoices(); // "Yes", "No"

} // namespace kovra
