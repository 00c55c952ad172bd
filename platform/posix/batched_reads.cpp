// Many small reads of one file in one call to the system, through an io_uring of the thread's
// own: on a machine where every call is dear (a virtual machine) a listing of many small videos
// otherwise spends most of its time entering and leaving the kernel, a call a frame. Where the
// system offers no ring (an older kernel, a sandbox that forbids it), and for any read the ring
// did not answer in full, the reads are made one by one with pread(), whose answer holds.
#include <linux/io_uring.h>
#include <sys/mman.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/posix/system_platform.h"

namespace kovra::posix {

namespace {

// The most reads one call submits; a larger batch goes in several.
constexpr unsigned kMostPerCall = 256;

// A submission and completion ring, set up at a thread's first batch and given back when the
// thread ends.
class ReadRing {
  public:
    ReadRing() {
        io_uring_params params;
        std::memset(&params, 0, sizeof params);
        fd_ = static_cast<int>(syscall(SYS_io_uring_setup, kMostPerCall, &params));
        if (fd_ < 0)
            return;
        if (params.sq_entries < kMostPerCall || !map(params)) {
            release();
            return;
        }
    }
    ~ReadRing() { release(); }
    ReadRing(const ReadRing&) = delete;
    ReadRing& operator=(const ReadRing&) = delete;

    bool ready() const { return fd_ >= 0; }

    // Submits count (at most kMostPerCall) reads of fd and waits for their answers: a piece
    // read in full gets None, one not (an error, a short read, a ring that would not wait) is
    // left unanswered in answered. False where the ring failed: it is then given up.
    bool read(int fd, ReadPiece* pieces, unsigned count, bool* answered) {
        unsigned tail = *sqTail_;
        for (unsigned k = 0; k < count; ++k) {
            unsigned slot = (tail + k) & *sqMask_;
            io_uring_sqe& entry = sqes_[slot];
            std::memset(&entry, 0, sizeof entry);
            entry.opcode = IORING_OP_READ;
            entry.fd = fd;
            entry.addr = reinterpret_cast<std::uintptr_t>(pieces[k].buffer);
            entry.len = static_cast<std::uint32_t>(pieces[k].size);
            entry.off = pieces[k].offset;
            entry.user_data = k;
            sqArray_[slot] = slot;
        }
        __atomic_store_n(sqTail_, tail + count, __ATOMIC_RELEASE);
        long submitted;
        do
            submitted =
                syscall(SYS_io_uring_enter, fd_, count, count, IORING_ENTER_GETEVENTS, nullptr, 0);
        while (submitted < 0 && errno == EINTR);
        if (submitted != static_cast<long>(count)) {
            // Entries the ring did not take would go with the next batch: the ring is given up
            // once those it took are answered.
            reap(submitted > 0 ? static_cast<unsigned>(submitted) : 0, pieces, answered);
            release();
            return false;
        }
        if (reap(count, pieces, answered))
            return true;
        release();
        return false;
    }

  private:
    bool map(const io_uring_params& params) {
        sqSize_ = params.sq_off.array + params.sq_entries * sizeof(unsigned);
        cqSize_ = params.cq_off.cqes + params.cq_entries * sizeof(io_uring_cqe);
        sqesSize_ = params.sq_entries * sizeof(io_uring_sqe);
        if (params.features & IORING_FEAT_SINGLE_MMAP)
            sqSize_ = cqSize_ = std::max(sqSize_, cqSize_);
        sq_ = mapRing(sqSize_, IORING_OFF_SQ_RING);
        cq_ = (params.features & IORING_FEAT_SINGLE_MMAP) ? sq_
                                                          : mapRing(cqSize_, IORING_OFF_CQ_RING);
        void* sqes = mapRing(sqesSize_, IORING_OFF_SQES);
        if (!sq_ || !cq_ || !sqes)
            return false;
        sqes_ = static_cast<io_uring_sqe*>(sqes);
        sqTail_ = at<unsigned>(sq_, params.sq_off.tail);
        sqMask_ = at<unsigned>(sq_, params.sq_off.ring_mask);
        sqArray_ = at<unsigned>(sq_, params.sq_off.array);
        cqHead_ = at<unsigned>(cq_, params.cq_off.head);
        cqTail_ = at<unsigned>(cq_, params.cq_off.tail);
        cqMask_ = at<unsigned>(cq_, params.cq_off.ring_mask);
        cqes_ = at<io_uring_cqe>(cq_, params.cq_off.cqes);
        return true;
    }
    void* mapRing(std::size_t size, off_t what) {
        void* ring =
            mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED | MAP_POPULATE, fd_, what);
        return ring == MAP_FAILED ? nullptr : ring;
    }
    template <typename T> static T* at(void* ring, std::uint32_t offset) {
        return reinterpret_cast<T*>(static_cast<char*>(ring) + offset);
    }

    // Takes the answers of expected reads, waiting for those not yet in.
    bool reap(unsigned expected, ReadPiece* pieces, bool* answered) {
        unsigned got = 0;
        while (got < expected) {
            unsigned head = *cqHead_;
            unsigned tail = __atomic_load_n(cqTail_, __ATOMIC_ACQUIRE);
            for (; head != tail; ++head, ++got) {
                const io_uring_cqe& done = cqes_[head & *cqMask_];
                std::uint64_t k = done.user_data;
                if (k < expected && done.res >= 0 &&
                    static_cast<std::size_t>(done.res) == pieces[k].size) {
                    pieces[k].error = OsError::None;
                    answered[k] = true;
                }
            }
            __atomic_store_n(cqHead_, head, __ATOMIC_RELEASE);
            if (got < expected &&
                syscall(SYS_io_uring_enter, fd_, 0, expected - got, IORING_ENTER_GETEVENTS, nullptr,
                        0) < 0 &&
                errno != EINTR && errno != EAGAIN && errno != EBUSY)
                return false;
        }
        return true;
    }

    void release() {
        if (sqes_)
            munmap(sqes_, sqesSize_);
        if (cq_ && cq_ != sq_)
            munmap(cq_, cqSize_);
        if (sq_)
            munmap(sq_, sqSize_);
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = -1;
        sq_ = cq_ = nullptr;
        sqes_ = nullptr;
    }

    int fd_ = -1;
    void *sq_ = nullptr, *cq_ = nullptr;
    io_uring_sqe* sqes_ = nullptr;
    std::size_t sqSize_ = 0, cqSize_ = 0, sqesSize_ = 0;
    unsigned *sqTail_ = nullptr, *sqMask_ = nullptr, *sqArray_ = nullptr;
    unsigned *cqHead_ = nullptr, *cqTail_ = nullptr, *cqMask_ = nullptr;
    io_uring_cqe* cqes_ = nullptr;
};

ReadRing& threadRing() {
    static thread_local ReadRing ring;
    return ring;
}

} // namespace

void PosixPlatform::readAtMany(FileId file, ReadPiece* pieces, std::size_t count) {
    bool answered[kMostPerCall];
    for (std::size_t done = 0; done < count;) {
        unsigned n = static_cast<unsigned>(std::min<std::size_t>(kMostPerCall, count - done));
        std::fill(answered, answered + n, false);
        ReadRing* ring = n > 1 ? &threadRing() : nullptr;
        if (ring && ring->ready())
            ring->read(static_cast<int>(file), pieces + done, n, answered);
        // What the ring did not read in full is read as readAt() reads it, and its answer
        // (the system's error, a short read at the file's end) is the one given.
        for (unsigned k = 0; k < n; ++k)
            if (!answered[k])
                pieces[done + k].error = readAt(file, pieces[done + k].offset,
                                                pieces[done + k].buffer, pieces[done + k].size);
        done += n;
    }
}

} // namespace kovra::posix
