#include "words/shown_names.h"

#include <cstdint>
#include <cstdio>

#include "platform/names.h"

namespace kovra::words {

namespace {

constexpr char kReplacement[] = "\xEF\xBF\xBD"; // U+FFFD
constexpr unsigned char kDelete = 0x7F;

// The length of the valid UTF-8 sequence at text[i] (overlong forms, surrogates and code
// points past U+10FFFF refused), or 0; codePoint receives its value.
std::size_t utf8Sequence(const std::string& text, std::size_t i, std::uint32_t& codePoint) {
    auto byte = [&](std::size_t at) { return static_cast<unsigned char>(text[at]); };
    unsigned char lead = byte(i);
    std::size_t length;
    std::uint32_t min;
    if (lead < 0x80) {
        codePoint = lead;
        return 1;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, min = 0x80, codePoint = lead & 0x1Fu;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, min = 0x800, codePoint = lead & 0x0Fu;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, min = 0x10000, codePoint = lead & 0x07u;
    } else {
        return 0;
    }
    if (text.size() - i < length)
        return 0;
    for (std::size_t k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80)
            return 0;
        codePoint = codePoint << 6 | (byte(i + k) & 0x3Fu);
    }
    if (codePoint < min || codePoint > 0x10FFFF || (codePoint >= 0xD800 && codePoint <= 0xDFFF))
        return 0;
    return length;
}

bool isControl(std::uint32_t codePoint) {
    return codePoint < 0x20 || codePoint == kDelete || (codePoint >= 0x80 && codePoint <= 0x9F);
}

void appendEscaped(std::string& out, unsigned char byte) {
    char hex[5];
    std::snprintf(hex, sizeof hex, "\\x%02X", byte);
    out += hex;
}

} // namespace

std::string shownName(const std::string& name) {
    std::string out;
    bool utf8 = namesAreUtf8();
    for (std::size_t i = 0; i < name.size();) {
        auto byte = static_cast<unsigned char>(name[i]);
        std::uint32_t codePoint = byte;
        // In an ANSI code page every byte from 0x80 is a character of its own.
        std::size_t length = utf8 ? utf8Sequence(name, i, codePoint) : 1;
        if (length == 0 || (utf8 ? isControl(codePoint) : byte < 0x20 || byte == kDelete)) {
            appendEscaped(out, byte);
            ++i;
            continue;
        }
        out.append(name, i, length);
        i += length;
    }
    return out;
}

std::string utf8Name(const std::string& name) {
    std::string text = nameToUtf8(name), out;
    for (std::size_t i = 0; i < text.size();) {
        std::uint32_t codePoint;
        std::size_t length = utf8Sequence(text, i, codePoint);
        if (length == 0) {
            out += kReplacement;
            ++i;
            continue;
        }
        out.append(text, i, length);
        i += length;
    }
    return out;
}

void putName(nlohmann::json& object, const std::string& key, const std::string& name) {
    std::string text = utf8Name(name);
    object[key] = text;
    if (text == nameToUtf8(name))
        return;
    std::string hex;
    char pair[3];
    for (unsigned char byte : name) {
        std::snprintf(pair, sizeof pair, "%02x", byte);
        hex += pair;
    }
    object[key + "Bytes"] = hex;
}

} // namespace kovra::words
