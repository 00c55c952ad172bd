#include "tests/avi/avi_bytes.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <fstream>
#include <iterator>

namespace kovra::avi::test {

Bytes corpusVideo(const std::string& name) {
    std::ifstream in(std::string(KOVRA_AVI_CORPUS) + "/" + name + ".avi", std::ios::binary);
    Bytes bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_FALSE(bytes.empty()) << "corpus video " << name << " is missing";
    return bytes;
}

std::size_t findFourcc(const Bytes& bytes, const char* fourcc, std::size_t from) {
    for (std::size_t i = from; i + 4 <= bytes.size(); ++i)
        if (std::memcmp(bytes.data() + i, fourcc, 4) == 0)
            return i;
    ADD_FAILURE() << fourcc << " not found";
    return 0;
}

std::uint32_t getLe32(const Bytes& bytes, std::size_t offset) {
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i)
        value = value << 8 | bytes.at(offset + i);
    return value;
}

void putLe32(Bytes& bytes, std::size_t offset, std::uint32_t value) {
    for (int i = 0; i < 4; ++i)
        bytes.at(offset + i) = static_cast<std::uint8_t>(value >> (8 * i));
}

Repaired repairBytes(const Bytes& input) {
    MemorySource source(input);
    MemorySink sink;
    Repaired repaired{repair(source, sink), {}};
    repaired.bytes = sink.take();
    return repaired;
}

VideoReport inspectBytes(const Bytes& input) {
    MemorySource source(input);
    return inspect(source);
}

std::string caseName(const char* description) {
    std::string name;
    for (const char* c = description; *c; ++c)
        name += std::isalnum(static_cast<unsigned char>(*c)) ? *c : '_';
    return name;
}

} // namespace kovra::avi::test
