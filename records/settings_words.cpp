#include "records/settings_words.h"

#include "records/config_record.h"

namespace kovra {

std::string choiceText(const std::vector<std::string>& choices, std::int32_t index) {
    if (index >= 0 && static_cast<std::size_t>(index) < choices.size())
        return choices[static_cast<std::size_t>(index)];
    return "unknown (" + std::to_string(index) + ")";
}

const std::vector<std::string>& triggerResolutionChoices() {
    static const std::vector<std::string> choices{"QVGA", "VGA"};
    return choices;
}

const std::vector<std::string>& frameRateChoices() {
    static const std::vector<std::string> choices{"30FPS", "24FPS", "15FPS", "13.3FPS"};
    return choices;
}

const std::vector<std::string>& loopResolutionChoices() {
    static const std::vector<std::string> choices{"QVGA 6.375FPS", "VGA 6.375FPS"};
    return choices;
}

const std::vector<std::string>& overwriteChoices() {
    static const std::vector<std::string> choices{"Yes", "No"};
    return choices;
}

std::vector<SettingLine> describeSettings(const RecorderSettings& s) {
    return {
        {"Resolution setting for G-sensor trigger or manual trigger",
         choiceText(triggerResolutionChoices(), s.triggerResolution)},
        {"Frame rate setting for G-sensor trigger or manual trigger",
         choiceText(frameRateChoices(), s.frameRate)},
        {"Resolution for recycle recording", choiceText(loopResolutionChoices(), s.loopResolution)},
        {"G sensor sensitivity", ConfigRecord::sensitivityText(s.sensitivityStep)},
        {"Max recording files in GSENSOR direction", std::to_string(s.maxGsensorFiles)},
        {"Max recording files in MANUAL direction", std::to_string(s.maxManualFiles)},
        {"Max recording files in CYCLE direction", std::to_string(s.maxCycleFiles)},
        {"File overwritten", choiceText(overwriteChoices(), s.overwrite)},
    };
}

} // namespace kovra
