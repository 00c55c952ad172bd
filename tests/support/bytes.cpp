#include "tests/support/bytes.h"

#include <algorithm>
#include <cstdio>
#include <sstream>

namespace kovra::test {

std::vector<unsigned char> hexBytes(const std::string& text) {
    std::vector<unsigned char> bytes;
    std::istringstream in(text);
    std::string pair;
    while (in >> pair)
        bytes.push_back(static_cast<unsigned char>(std::stoul(pair, nullptr, 16)));
    return bytes;
}

std::string toHex(const unsigned char* data, std::size_t size) {
    std::string text;
    char pair[4];
    for (std::size_t i = 0; i < size; ++i) {
        std::snprintf(pair, sizeof pair, "%02X", data[i]);
        if (i)
            text += ' ';
        text += pair;
    }
    return text;
}

std::vector<unsigned char> sampleVideo(const std::string& head, std::size_t size) {
    std::vector<unsigned char> bytes(std::max(size, head.size()));
    std::copy(head.begin(), head.end(), bytes.begin());
    for (std::size_t i = head.size(); i < bytes.size(); ++i)
        bytes[i] = static_cast<unsigned char>(i * 31 + 7);
    return bytes;
}

std::string firstDifference(const std::vector<unsigned char>& actual,
                            const std::vector<unsigned char>& expected) {
    for (std::size_t i = 0; i < actual.size() && i < expected.size(); ++i)
        if (actual[i] != expected[i])
            return "byte " + std::to_string(i) + " is " + toHex(&actual[i], 1) + ", expected " +
                   toHex(&expected[i], 1);
    if (actual.size() != expected.size())
        return std::to_string(actual.size()) + " bytes, expected " +
               std::to_string(expected.size());
    return "";
}

} // namespace kovra::test
