#include "avi/exact_time.h"

#include <limits>

namespace kovra::avi {

namespace {

constexpr std::uint64_t kMillisecondsPerSecond = 1000;
constexpr std::uint64_t kMicrosecondsPerSecond = 1000000;
constexpr std::uint64_t kMost = std::numeric_limits<std::uint64_t>::max();
constexpr int kHalfBits = 32;
constexpr std::uint64_t kLowHalf = 0xFFFFFFFFull;
constexpr int kWideBits = 128;

// An unsigned 128-bit number: no portable type holds one on every compiler the project uses.
struct Wide {
    std::uint64_t high = 0, low = 0;

    bool bit(int i) const { return ((i >= 64 ? high >> (i - 64) : low >> i) & 1) != 0; }
    void setBit(int i) {
        if (i >= 64)
            high |= std::uint64_t{1} << (i - 64);
        else
            low |= std::uint64_t{1} << i;
    }
};

Wide multiply(std::uint64_t a, std::uint64_t b) {
    std::uint64_t aLow = a & kLowHalf, aHigh = a >> kHalfBits;
    std::uint64_t bLow = b & kLowHalf, bHigh = b >> kHalfBits;
    std::uint64_t lowLow = aLow * bLow, lowHigh = aLow * bHigh;
    std::uint64_t highLow = aHigh * bLow, highHigh = aHigh * bHigh;
    std::uint64_t middle = (lowLow >> kHalfBits) + (lowHigh & kLowHalf) + (highLow & kLowHalf);
    Wide w;
    w.low = (middle << kHalfBits) | (lowLow & kLowHalf);
    w.high = highHigh + (lowHigh >> kHalfBits) + (highLow >> kHalfBits) + (middle >> kHalfBits);
    return w;
}

// w x b, where the product fits in 128 bits: the callers' factors are 32-bit clock words and
// frame numbers, which the 40-bit chunk offsets keep far below 64 bits.
Wide multiply(const Wide& w, std::uint64_t b) {
    Wide low = multiply(w.low, b);
    low.high += w.high * b;
    return low;
}

// w / d (d not 0), saturated to 64 bits, with its remainder.
std::uint64_t divide(const Wide& w, std::uint64_t d, std::uint64_t& remainder) {
    Wide quotient;
    std::uint64_t r = 0;
    for (int i = kWideBits - 1; i >= 0; --i) {
        bool carry = (r >> 63) != 0;
        r = r << 1 | (w.bit(i) ? 1 : 0);
        if (carry || r >= d) {
            r -= d;
            quotient.setBit(i);
        }
    }
    remainder = r;
    return quotient.high != 0 ? kMost : quotient.low;
}

} // namespace

bool isRecorderRate(const Clock& clock) {
    // den / num frames a second, compared as den against num x rate: both are 32-bit words.
    return clock.num != 0 && clock.den >= clock.num * kSlowestFrameRate &&
           clock.den <= clock.num * kFastestFrameRate;
}

bool withinLongestRecording(const Clock& clock, std::uint64_t n) {
    Wide lasts = multiply(n, clock.num), longest = multiply(kLongestRecordingSeconds, clock.den);
    return lasts.high < longest.high || (lasts.high == longest.high && lasts.low <= longest.low);
}

Clock videoClock(const AviHeader& header) {
    const StreamHeader& video = header.streams[header.videoStream];
    Clock strh{video.scale, video.rate};
    if (isRecorderRate(strh))
        return strh;
    Clock avih{header.microsecondsPerFrame, kMicrosecondsPerSecond};
    return isRecorderRate(avih) ? avih : Clock{};
}

Clock rewrittenVideoClock(const AviHeader& header) {
    const StreamHeader& video = header.streams[header.videoStream];
    Clock taken = videoClock(header);
    if (taken.num == 0 || (taken.num == video.scale && taken.den == video.rate))
        return {};
    return taken;
}

Clock streamClock(const StreamHeader& stream) {
    if (stream.scale == 0 || stream.rate == 0)
        return {};
    return {stream.scale, stream.rate};
}

bool sameRate(const Clock& a, const Clock& b) {
    Wide x = multiply(a.num, b.den), y = multiply(b.num, a.den);
    return x.high == y.high && x.low == y.low;
}

// Unit n starts at n x num / den seconds, at or after ms when n x num x 1000 >= ms x den.
std::uint64_t firstStartingAt(const Clock& clock, std::int64_t ms) {
    if (ms <= 0)
        return 0;
    if (clock.num == 0)
        return kMost;
    std::uint64_t unitMs = clock.num * kMillisecondsPerSecond; // num is at most 32 bits
    std::uint64_t remainder;
    std::uint64_t n =
        divide(multiply(static_cast<std::uint64_t>(ms), clock.den), unitMs, remainder);
    return remainder != 0 && n != kMost ? n + 1 : n;
}

// Unit n of from starts at n x from.num / from.den seconds, which is that times to.den / to.num
// units of to.
std::uint64_t nearestUnit(const Clock& from, std::uint64_t n, const Clock& to) {
    if (from.num == 0 || to.num == 0)
        return 0;
    Wide at = multiply(multiply(n, from.num), to.den);
    Wide per = multiply(from.den, to.num);
    if (per.high != 0)
        return kMost; // no clock read from a file is this fine
    std::uint64_t remainder;
    std::uint64_t unit = divide(at, per.low, remainder);
    return remainder >= per.low - remainder && unit != kMost ? unit + 1 : unit;
}

} // namespace kovra::avi
