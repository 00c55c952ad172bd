// The kinds JSON gives scripts: each finding and each passed-over reason has a name of its own,
// and docs/json.md lists exactly those names.
#include <cctype>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "words/finding_words.h"
#include "words/reasons.h"

namespace kovra::words {
namespace {

// The names docs/json.md lists under a heading: its "- `name`: ..." lines up to the next
// heading.
std::vector<std::string> documentedKinds(const std::string& heading) {
    std::ifstream file(KOVRA_JSON_DOC);
    EXPECT_TRUE(file) << KOVRA_JSON_DOC;
    std::vector<std::string> names;
    std::string line;
    bool inside = false;
    while (std::getline(file, line)) {
        if (line.rfind("## ", 0) == 0)
            inside = line == "## " + heading;
        else if (inside && line.rfind("- `", 0) == 0)
            names.push_back(line.substr(3, line.find('`', 3) - 3));
    }
    return names;
}

// A stable kind: a lowerCamel word, no spaces or punctuation a script would have to quote.
bool camelWord(const std::string& name) {
    if (name.empty() || !std::islower(static_cast<unsigned char>(name[0])))
        return false;
    for (char c : name)
        if (!std::isalnum(static_cast<unsigned char>(c)))
            return false;
    return true;
}

// Guards against two kinds sharing a name (a script could not tell them apart), a kind left
// to "unknown" or given words instead of a name, and docs/json.md listing another set.
template <typename Kind>
void expectNamedAndDocumented(Kind last, const char* (*name)(Kind), const std::string& heading) {
    std::set<std::string> named;
    for (int k = 0; k <= static_cast<int>(last); ++k) {
        std::string text = name(static_cast<Kind>(k));
        EXPECT_TRUE(camelWord(text)) << "kind " << k << ": \"" << text << "\"";
        EXPECT_NE(text, "unknown") << "kind " << k;
        EXPECT_TRUE(named.insert(text).second) << "kind " << k << " repeats \"" << text << "\"";
    }
    std::vector<std::string> listed = documentedKinds(heading);
    EXPECT_EQ(std::set<std::string>(listed.begin(), listed.end()), named)
        << "docs/json.md, " << heading;
    EXPECT_EQ(listed.size(), named.size())
        << "docs/json.md lists a kind twice, or another number of kinds, under " << heading;
}

TEST(JsonKinds, EveryFindingKindHasItsOwnDocumentedName) {
    // FrameRate is the last kind; a kind added after it must move this bound.
    expectNamedAndDocumented(avi::FindingKind::FrameRate, &findingKindName, "Finding kinds");
}

TEST(JsonKinds, EveryPassedOverReasonHasItsOwnDocumentedName) {
    expectNamedAndDocumented(PassedOver::Unlisted, &passedOverKindName, "Passed-over kinds");
}

} // namespace
} // namespace kovra::words
