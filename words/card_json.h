// The card's two records as JSON: CONFIG.SYS in the window's words (`config show --json`) and
// TIME.txt (`clock show --json`), for the command line and the local server alike.
#pragma once

#include <nlohmann/json.hpp>

#include "records/clock_record.h"
#include "records/recorder_settings.h"

namespace kovra::words {

// The stored indices as they are, and beside each the choice it means in the window's words
// ("overwrite": 0 is "Yes").
nlohmann::json settingsJson(const RecorderSettings& settings);
nlohmann::json clockJson(const ClockFields& fields);

} // namespace kovra::words
