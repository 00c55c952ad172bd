// A single-byte path text in a fixed buffer. Every change checks the capacity and refuses a
// text that would not fit, leaving the buffer as it was: a cut path names another file.
#pragma once

#include <cstddef>
#include <cstring>

namespace kovra {

template <std::size_t Capacity> class PathBuffer {
    static_assert(Capacity > 1, "room for at least one character and the terminating zero");

  public:
    PathBuffer() { text_[0] = '\0'; }

    static constexpr std::size_t capacity() { return Capacity; }
    // The most characters it holds, the terminating zero aside.
    static constexpr std::size_t maxLength() { return Capacity - 1; }

    const char* c_str() const { return text_; }
    char* data() { return text_; }
    std::size_t length() const { return std::strlen(text_); }
    bool empty() const { return text_[0] == '\0'; }
    char last() const { return empty() ? '\0' : text_[length() - 1]; }

    bool assign(const char* text) {
        std::size_t n = std::strlen(text);
        if (n > maxLength())
            return false;
        std::memcpy(text_, text, n + 1);
        return true;
    }
    bool append(const char* text) {
        std::size_t have = length();
        std::size_t n = std::strlen(text);
        if (n > maxLength() - have)
            return false;
        std::memcpy(text_ + have, text, n + 1);
        return true;
    }
    void clear() { text_[0] = '\0'; }

  private:
    char text_[Capacity];
};

} // namespace kovra
