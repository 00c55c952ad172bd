#include "platform/posix/notify.h"

#include "platform/posix/spawn.h"

namespace kovra::posix {

namespace {

constexpr const char* kNotifier = "notify-send";
constexpr const char* kApplicationOption = "--app-name=Kovra";
// notify-send returns as soon as the message is handed over; one that hangs (no session bus
// to answer) is left to end by itself rather than hold up the card.
constexpr int kWaitMilliseconds = 2000;

} // namespace

void notify(const std::string& title, const std::string& text) {
    char* argv[] = {const_cast<char*>(kNotifier), const_cast<char*>(kApplicationOption),
                    const_cast<char*>(title.c_str()), const_cast<char*>(text.c_str()), nullptr};
    pid_t notifier;
    if (startProgram(kNotifier, argv, notifier) != 0)
        return;
    int status = 0;
    waitAMoment(notifier, kWaitMilliseconds, status);
}

} // namespace kovra::posix
