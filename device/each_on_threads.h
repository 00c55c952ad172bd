// Jobs that share nothing, one an item, spread over the cores the machine runs: walking the
// chunk headers of recordings read from the page cache is the processor's work, not the
// storage's.
#pragma once

#include <cstddef>
#include <functional>

namespace kovra {

// work(i) for each i below count, on up to mostThreads threads, this one among them; returns
// once every one is done. Where no thread can be started, this thread does the rest.
void doEachOnThreads(std::size_t count, unsigned mostThreads,
                     const std::function<void(std::size_t)>& work);

} // namespace kovra
