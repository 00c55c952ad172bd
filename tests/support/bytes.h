// Byte vectors written as the hex a reader of the card would see.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace kovra::test {

// "00 0A ff" -> {0x00, 0x0A, 0xFF}
std::vector<unsigned char> hexBytes(const std::string& text);
std::string toHex(const unsigned char* data, std::size_t size);

template <std::size_t N> std::string toHex(const std::array<std::uint8_t, N>& bytes) {
    return toHex(bytes.data(), N);
}
inline std::string toHex(const std::vector<unsigned char>& bytes) {
    return toHex(bytes.data(), bytes.size());
}

// A video of size bytes starting with head ("MARS", "RIFF", ...), the rest a pattern that
// shows any shifted byte.
std::vector<unsigned char> sampleVideo(const std::string& head, std::size_t size = 70000);

// Empty when equal; otherwise the sizes or the first differing byte, so that a failure on a
// large file stays readable.
std::string firstDifference(const std::vector<unsigned char>& actual,
                            const std::vector<unsigned char>& expected);

} // namespace kovra::test
