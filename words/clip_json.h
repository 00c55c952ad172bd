// What a clip or join wrote, as one JSON document: what `clip --json` prints, and what the
// player answers for a clip it saved, so that the two say the same.
#pragma once

#include <cstdint>
#include <string>

#include <nlohmann/json.hpp>

#include "clips/clip_job.h"

namespace kovra::words {

// The document of a clip written at out; its start and end moved by offsetMillis, what
// --clock-offset says the recorder's clock is off by. outcome must be one that was written.
nlohmann::json clipJson(const std::string& out, const clips::ClipOutcome& outcome,
                        std::int64_t offsetMillis);

} // namespace kovra::words
