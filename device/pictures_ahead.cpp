#include "device/pictures_ahead.h"

#include <algorithm>
#include <chrono>
#include <system_error>

namespace kovra {

namespace {

// Paths queued at most: a card lists thousands, each a few hundred bytes at most to hold, but
// what is still waiting when the caller is done is read then on every core anyway.
constexpr std::size_t kMostWaiting = 512;
// The pictures' bytes held at most (about 50 KiB a video): past it the readings wait for the
// caller, which reads the rest itself, rather than a big card's pictures filling the memory.
constexpr std::size_t kMostHeldBytes = 64u << 20;
// How soon an interrupt removes the files the taker holds. A signal handler can wake no thread
// here, so the thread looks this often while the taker holds any.
constexpr std::chrono::milliseconds kInterruptLook{50};
// Threads reading at once: one reading takes about as long as a copy of its video waits on the
// storage, so that a single thread falls behind where the processor is shared.
constexpr unsigned kMostThreads = 2;

std::size_t bytesOf(const VideoPictures& pictures) {
    std::size_t bytes = pictures.cover ? pictures.cover->bytes.size() : 0;
    for (const std::optional<Picture>& picture : pictures.strip)
        bytes += picture ? picture->bytes.size() : 0;
    return bytes;
}

} // namespace

PicturesAhead::PicturesAhead(Platform& platform, const PictureSizes& sizes, ReadingTaker* taker)
    : platform_(platform), sizes_(sizes), taker_(taker) {}

void PicturesAhead::start() {
    // The machine's cores: one of them the copies', which mostly wait on the storage.
    unsigned threads = std::max(1u, std::min(std::thread::hardware_concurrency(), kMostThreads));
    try {
        for (unsigned i = 0; i < threads; ++i)
            threads_.emplace_back([this] { run(); });
    } catch (const std::system_error&) {
        // Fewer threads; with none, every video is left to the caller.
    }
    started_ = !threads_.empty();
}

PicturesAhead::~PicturesAhead() {
    stop();
}

bool PicturesAhead::offer(const std::string& path) {
    return offer(path, path, FileInfo{});
}

bool PicturesAhead::offer(const std::string& path, const std::string& readFrom,
                          const FileInfo& becomes) {
    std::lock_guard<std::mutex> lock(mutex_);
    // Started with the first video: an export that finds every video shown makes no thread.
    if (!triedToStart_ && !stopping_) {
        triedToStart_ = true;
        start();
    }
    if (!started_ || stopping_ || waiting_.size() >= kMostWaiting || heldBytes_ >= kMostHeldBytes)
        return false;
    waiting_.push_back({path, readFrom, becomes});
    wake_.notify_one();
    return true;
}

void PicturesAhead::readAll() {
    std::unique_lock<std::mutex> lock(mutex_);
    idle_.wait(lock, [this] { return waiting_.empty() && reading_ == 0; });
}

void PicturesAhead::stop() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
        waiting_.clear();
        wake_.notify_all();
        idle_.notify_all();
    }
    for (std::thread& thread : threads_)
        if (thread.joinable())
            thread.join();
}

std::optional<VideoPictures> PicturesAhead::take(const std::string& path, const FileInfo& now) {
    std::lock_guard<std::mutex> lock(mutex_);
    auto found = read_.find(path);
    if (found == read_.end())
        return std::nullopt;
    Read read = std::move(found->second);
    read_.erase(found);
    heldBytes_ -= bytesOf(read.pictures);
    if (read.info.size != now.size || read.info.modified != now.modified)
        return std::nullopt;
    return std::move(read.pictures);
}

void PicturesAhead::waitForWork(std::unique_lock<std::mutex>& lock) {
    auto ready = [this] { return stopping_ || !waiting_.empty(); };
    while (!ready()) {
        if (!taker_ || !taker_->holdsFiles()) {
            wake_.wait(lock, ready);
            return;
        }
        if (platform_.interrupted())
            taker_->interrupted();
        else
            wake_.wait_for(lock, kInterruptLook, ready);
    }
}

void PicturesAhead::run() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        waitForWork(lock);
        if (stopping_)
            return;
        Waiting next = std::move(waiting_.front());
        waiting_.pop_front();
        ++reading_;
        lock.unlock();
        Read read;
        bool there =
            next.standIn() || platform_.info(next.path.c_str(), read.info) == OsError::None;
        if (there)
            read.pictures = readVideoPictures(platform_, next.readFrom, sizes_);
        if (next.standIn()) {
            read.info = next.becomes;
            there = read.pictures.error == OsError::None;
        }
        const std::string& path = next.path;
        if (there && taker_ && taker_->took(path, read.info, read.pictures))
            there = false;
        lock.lock();
        if (there) {
            heldBytes_ += bytesOf(read.pictures);
            read_[path] = std::move(read);
        }
        --reading_;
        idle_.notify_all();
    }
}

} // namespace kovra
