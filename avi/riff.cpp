#include "avi/riff.h"

namespace kovra::avi {

namespace {

constexpr char kKindSuffix[][3] = {"dc", "db", "wb", "tx"};
constexpr std::size_t kKindCount = sizeof kKindSuffix / sizeof kKindSuffix[0];

char charAt(FourCC code, int i) {
    return static_cast<char>((code >> (8 * i)) & 0xFF);
}
bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

} // namespace

bool isPrintableFourcc(FourCC code) {
    for (int i = 0; i < 4; ++i) {
        char c = charAt(code, i);
        if (c < ' ' || c > '~')
            return false;
    }
    return true;
}

std::string fourccText(FourCC code) {
    std::string text;
    for (int i = 0; i < 4; ++i) {
        char c = charAt(code, i);
        if (c == '\0')
            break;
        if (c < ' ' || c > '~')
            return {};
        text += c;
    }
    while (!text.empty() && text.back() == ' ')
        text.pop_back();
    return text;
}

bool parseDataId(FourCC code, std::size_t streamCount, unsigned& stream, DataKind& kind) {
    char d0 = charAt(code, 0), d1 = charAt(code, 1);
    if (!isDigit(d0) || !isDigit(d1))
        return false;
    unsigned number = static_cast<unsigned>((d0 - '0') * 10 + (d1 - '0'));
    if (number >= streamCount)
        return false;
    for (std::size_t k = 0; k < kKindCount; ++k)
        if (charAt(code, 2) == kKindSuffix[k][0] && charAt(code, 3) == kKindSuffix[k][1]) {
            stream = number;
            kind = static_cast<DataKind>(k);
            return true;
        }
    return false;
}

FourCC makeDataId(unsigned stream, DataKind kind) {
    const char* suffix = kKindSuffix[static_cast<std::size_t>(kind)];
    return static_cast<FourCC>('0' + stream / 10) | static_cast<FourCC>('0' + stream % 10) << 8 |
           static_cast<FourCC>(static_cast<std::uint8_t>(suffix[0])) << 16 |
           static_cast<FourCC>(static_cast<std::uint8_t>(suffix[1])) << 24;
}

bool isSkippedMoviChunk(FourCC code) {
    char c0 = charAt(code, 0), c1 = charAt(code, 1), c2 = charAt(code, 2), c3 = charAt(code, 3);
    bool openDmlIndex = c0 == 'i' && c1 == 'x' && isDigit(c2) && isDigit(c3);
    bool palette = isDigit(c0) && isDigit(c1) && c2 == 'p' && c3 == 'c';
    return openDmlIndex || palette;
}

} // namespace kovra::avi
