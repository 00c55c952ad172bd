#include "words/card_json.h"

#include "records/config_record.h"
#include "records/settings_words.h"

namespace kovra::words {

nlohmann::json settingsJson(const RecorderSettings& settings) {
    return {{"triggerResolution", settings.triggerResolution},
            {"triggerResolutionText",
             choiceText(triggerResolutionChoices(), settings.triggerResolution)},
            {"loopResolution", settings.loopResolution},
            {"loopResolutionText", choiceText(loopResolutionChoices(), settings.loopResolution)},
            {"frameRate", settings.frameRate},
            {"frameRateText", choiceText(frameRateChoices(), settings.frameRate)},
            {"overwrite", settings.overwrite},
            {"overwriteText", choiceText(overwriteChoices(), settings.overwrite)},
            {"sensitivityStep", settings.sensitivityStep},
            {"maxGsensorFiles", settings.maxGsensorFiles},
            {"maxManualFiles", settings.maxManualFiles},
            {"maxCycleFiles", settings.maxCycleFiles},
            {"sensitivity", ConfigRecord::sensitivityText(settings.sensitivityStep)}};
}

nlohmann::json clockJson(const ClockFields& f) {
    return {{"year", f.year}, {"month", f.month},   {"day", f.day},
            {"hour", f.hour}, {"minute", f.minute}, {"second", f.second}};
}

} // namespace kovra::words
