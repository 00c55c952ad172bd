// A test that needs drives mapped by the Wine runner names one of the sets of
// wine_drive_sets.h. The drives Windows then shows must be that set: the test fails, naming
// each difference, when they are not, and is skipped only when no drive was asked of the
// runner at all (a test program started by hand).
#pragma once

#include <string>

#include "tests/support/wine_drive_sets.h"

namespace kovra::test {

// Whether the runner was asked for any drive: KOVRA_DRIVES set and not empty.
bool drivesAskedFor();
// Empty when the drives Windows shows, besides Wine's own C: and Z:, are exactly set, as in
// "e=floppy f=hd"; otherwise each difference, as "E: missing (floppy wanted); F: hd, not wanted".
std::string drivesDifferFrom(const std::string& set);

} // namespace kovra::test

#define KOVRA_REQUIRE_DRIVES(set)                                                                  \
    do {                                                                                           \
        if (*(set) && !::kovra::test::drivesAskedFor())                                            \
            GTEST_SKIP() << "needs the drives \"" << (set)                                         \
                         << "\" mapped by the Wine runner, and KOVRA_DRIVES asked for none";       \
        const std::string difference = ::kovra::test::drivesDifferFrom(set);                       \
        if (!difference.empty())                                                                   \
            FAIL() << "the drives mapped are not this test's \"" << (set) << "\": " << difference; \
    } while (0)
