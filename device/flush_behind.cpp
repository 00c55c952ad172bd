#include "device/flush_behind.h"

#include <chrono>
#include <system_error>
#include <vector>

namespace kovra {

namespace {

// How soon an interrupt removes a file that waits to be named. A signal handler can wake no
// thread here, so a thread holding files looks this often; with nothing held it only sleeps.
constexpr std::chrono::milliseconds kInterruptLook{50};

} // namespace

FlushBehind::FlushBehind(Platform& platform) : platform_(platform) {
    try {
        thread_ = std::thread([this] { run(); });
    } catch (const std::system_error&) {
        // No thread: each file is flushed as it is handed over.
    }
}

FlushBehind::~FlushBehind() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    if (thread_.joinable())
        thread_.join();
    held_.clear(); // each file not named is removed as it goes
}

void FlushBehind::hand(std::unique_ptr<FileReplacement> file) {
    if (!thread_.joinable()) {
        file->flushData();
        std::lock_guard<std::mutex> lock(mutex_);
        held_.push_back({std::move(file), true});
        return;
    }
    {
        std::lock_guard<std::mutex> lock(mutex_);
        held_.push_back({std::move(file), false});
    }
    changed_.notify_all();
}

std::size_t FlushBehind::held() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return held_.size();
}

std::unique_ptr<FileReplacement> FlushBehind::takeOldest() {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [&] { return held_.empty() || held_.front().flushed; });
    if (held_.empty())
        return nullptr;
    std::unique_ptr<FileReplacement> file = std::move(held_.front().file);
    held_.pop_front();
    return file;
}

std::unique_ptr<FileReplacement> FlushBehind::takeFlushed() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (held_.empty() || !held_.front().flushed)
        return nullptr;
    std::unique_ptr<FileReplacement> file = std::move(held_.front().file);
    held_.pop_front();
    return file;
}

void FlushBehind::abandonOnInterrupt() {
    if (!platform_.interrupted())
        return;
    // As commit() does: an interrupt before the name is given drops the file. The last one
    // removed lets the interrupt end the program.
    for (Held& held : held_) {
        held.file->abandon(OsError::Interrupted);
        held.flushed = true;
    }
    changed_.notify_all();
}

void FlushBehind::run() {
    std::unique_lock<std::mutex> lock(mutex_);
    while (!stopping_) {
        abandonOnInterrupt();
        FileReplacement* next = nullptr;
        std::vector<FileReplacement*> start;
        for (Held& held : held_) {
            if (held.flushed)
                continue;
            if (!next)
                next = held.file.get();
            if (!held.started)
                start.push_back(held.file.get());
            held.started = true;
        }
        if (!next) {
            if (held_.empty())
                changed_.wait(lock);
            else
                changed_.wait_for(lock, kInterruptLook);
            continue;
        }
        // The caller takes back only flushed files, so these stay where they are meanwhile.
        lock.unlock();
        for (FileReplacement* file : start)
            file->startFlush();
        next->flushData();
        lock.lock();
        for (Held& held : held_)
            if (held.file.get() == next)
                held.flushed = true;
        changed_.notify_all();
    }
}

} // namespace kovra
