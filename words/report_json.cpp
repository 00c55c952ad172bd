#include "words/report_json.h"

#include "words/finding_words.h"
#include "words/shown_names.h"

namespace kovra::words {

nlohmann::json findingsJson(const avi::VideoReport& report) {
    nlohmann::json findings = nlohmann::json::array();
    for (const avi::Finding& finding : report.findings)
        findings.push_back({{"kind", findingKindName(finding.kind)},
                            {"problem", problemText(finding)},
                            {"fix", fixText(finding)}});
    return findings;
}

nlohmann::json reportJson(const std::string& path, std::uint64_t size,
                          const avi::VideoReport& report) {
    nlohmann::json object;
    putName(object, "path", path);
    object.update(nlohmann::json{{"size", size},
                                 {"signature", avi::signatureName(report.signature)},
                                 {"codec", report.codec},
                                 {"width", report.width},
                                 {"height", report.height},
                                 {"fps", report.fps},
                                 {"frames", report.frames},
                                 {"durationSeconds", report.durationSeconds},
                                 {"state", avi::stateName(report.state)},
                                 {"problems", problemTexts(report)},
                                 {"findings", findingsJson(report)}});
    return object;
}

} // namespace kovra::words
