// errno folded onto OsError's kinds: each the reason the system gave, never a neighbour's, and
// the system's own words kept for the message.
#include "platform/posix/errors.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <string>

namespace kovra {
namespace {

TEST(PosixErrors, EachErrnoIsItsOwnReason) {
    struct Case {
        int code;
        OsError::Kind kind;
        const char* fault;
    } cases[] = {
        {ENOTDIR, OsError::NotAFolder, "a file in the path told as \"no such file\""},
        {EEXIST, OsError::Exists, "a name taken told as \"permission denied\""},
        {EROFS, OsError::ReadOnly, "a write-protected card told as a permission"},
    };
    for (const Case& c : cases) {
        OsError error = posix::fromErrno(c.code);
        EXPECT_STREQ(osErrorName(error), osErrorName(c.kind)) << c.fault;
        EXPECT_EQ(error.native(), c.code) << c.fault;
        EXPECT_EQ(osErrorText(error),
                  std::string(std::strerror(c.code)) + ", errno " + std::to_string(c.code))
            << c.fault;
    }
}

} // namespace
} // namespace kovra
