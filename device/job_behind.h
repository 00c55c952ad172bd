// One job run on a thread of its own while the caller goes on with what does not need it: a
// clip's walk of a recording it likely leaves out, while the clip is written and flushed.
#pragma once

#include <functional>
#include <thread>

namespace kovra {

class JobBehind {
  public:
    // Starts job on a thread; where none can be had, runs it here before returning.
    explicit JobBehind(std::function<void()> job);
    // Waits for the job.
    ~JobBehind();
    JobBehind(const JobBehind&) = delete;
    JobBehind& operator=(const JobBehind&) = delete;

    // Returns once the job is done: what it wrote may be read from then on.
    void wait();

  private:
    std::thread thread_;
};

} // namespace kovra
