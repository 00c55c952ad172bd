// retryOnInterrupt(): a call made again only while a signal interrupts it, its last answer and
// errno handed back as the call left them.
#include "platform/posix/retry.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <vector>

namespace kovra {
namespace {

TEST(PosixRetry, OnlyAnInterruptionIsTriedAgain) {
    struct Answer {
        long result;
        int error;
    };
    struct Case {
        std::vector<Answer> answers; // what each call says, in turn
        long result;
        int error; // errno after, as the last call left it
        std::size_t calls;
        const char* fault;
    } cases[] = {
        {{{-1, EINTR}, {-1, EINTR}, {7, 0}},
         7,
         0,
         3,
         "a read a signal only delayed reported as failed"},
        {{{-1, EAGAIN}, {1, 0}}, -1, EAGAIN, 1, "a lock another process holds waited for"},
        {{{0, 0}, {1, 0}}, 0, 0, 1, "an end of file (0) taken for a failure and read again"},
        {{{-1, EINTR}, {-1, EIO}, {1, 0}},
         -1,
         EIO,
         2,
         "the failure after an interruption lost or retried"},
    };
    for (const Case& c : cases) {
        std::size_t calls = 0;
        long result = posix::retryOnInterrupt([&] {
            const Answer& answer = c.answers[calls++];
            errno = answer.error;
            return answer.result;
        });
        EXPECT_EQ(result, c.result) << c.fault;
        EXPECT_EQ(calls, c.calls) << c.fault;
        EXPECT_EQ(errno, c.error) << c.fault;
    }
}

} // namespace
} // namespace kovra
