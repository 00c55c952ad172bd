#include "device/each_on_threads.h"

#include <algorithm>
#include <atomic>
#include <system_error>
#include <thread>
#include <vector>

namespace kovra {

void doEachOnThreads(std::size_t count, unsigned mostThreads,
                     const std::function<void(std::size_t)>& work) {
    unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    std::size_t threads = std::min<std::size_t>({count, cores, std::max(1u, mostThreads)});
    std::atomic<std::size_t> next{0};
    auto take = [&] {
        for (std::size_t i = next++; i < count; i = next++)
            work(i);
    };
    std::vector<std::thread> helpers;
    for (std::size_t t = 1; t < threads; ++t) {
        try {
            helpers.emplace_back(take);
        } catch (const std::system_error&) {
            break; // this thread does the rest
        }
    }
    take();
    for (std::thread& helper : helpers)
        helper.join();
}

} // namespace kovra
