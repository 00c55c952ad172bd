// A video's findings in words: what is wrong, and what a repair does about it.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "avi/finding.h"
#include "avi/video_report.h"

namespace kovra::words {

// The finding's kind as JSON names it, stable across versions for scripts to compare:
// "noIndex", "riffSize" ... (docs/json.md lists them all).
const char* findingKindName(avi::FindingKind kind);
// The kind findingKindName() gives that name; none for a name it never gives.
std::optional<avi::FindingKind> findingKindNamed(const std::string& name);
// A finding in words: what is wrong ("no index", "RIFF size 0, data holds 11876"), and what a
// repair does about it ("index rebuilt: 4 entries", "RIFF size 11868").
std::string problemText(const avi::Finding& finding);
std::string fixText(const avi::Finding& finding);
// The report's findings, each as problemText() says it.
std::vector<std::string> problemTexts(const avi::VideoReport& report);
// What a repair of the video fixes, in words: "signature RIFF" for a file that did not begin
// so, then each finding as fixText() says it.
std::vector<std::string> fixTexts(const avi::VideoReport& report);

} // namespace kovra::words
