#include "device/job_behind.h"

#include <system_error>

namespace kovra {

JobBehind::JobBehind(std::function<void()> job) {
    try {
        thread_ = std::thread(job);
    } catch (const std::system_error&) {
        job(); // no thread to be had: the caller waits for it now rather than later
    }
}

JobBehind::~JobBehind() {
    wait();
}

void JobBehind::wait() {
    if (thread_.joinable())
        thread_.join();
}

} // namespace kovra
