// Tests that need drives mapped by the Wine runner (cmake/wine-run.sh) ask for them here and
// are skipped, with the reason, when the runner mapped something else.
#pragma once

#include <cstdlib>
#include <string>

namespace kovra::test {

inline std::string mappedDrives() {
    const char* drives = std::getenv("KOVRA_DRIVES");
    return drives ? drives : "";
}

} // namespace kovra::test

#define KOVRA_REQUIRE_DRIVES(wanted)                                                               \
    do {                                                                                           \
        if (::kovra::test::mappedDrives() != (wanted))                                             \
            GTEST_SKIP() << "needs KOVRA_DRIVES=\"" << (wanted)                                    \
                         << "\" from the Wine runner; have \"" << ::kovra::test::mappedDrives()    \
                         << "\"";                                                                  \
    } while (0)
