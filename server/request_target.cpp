#include "server/request_target.h"

namespace kovra::server {

namespace {

constexpr char kFirstPrintable = 0x21; // '!': a space is never in a target
constexpr char kLastPrintable = 0x7E;  // '~'
constexpr std::int64_t kMicrosPerSecond = 1000000;
constexpr std::size_t kMostDecimals = 6;
constexpr int kHexBase = 16;
constexpr int kDecimalBase = 10;

int hexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + kDecimalBase;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + kDecimalBase;
    return -1;
}

// Escapes decoded once; nothing for a bad escape, or one that spells a separator or a control.
std::optional<std::string> decoded(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '\\')
            return std::nullopt;
        if (c != '%') {
            out += c;
            continue;
        }
        if (i + 2 >= text.size())
            return std::nullopt;
        int high = hexValue(text[i + 1]), low = hexValue(text[i + 2]);
        if (high < 0 || low < 0)
            return std::nullopt;
        char byte = static_cast<char>(high * kHexBase + low);
        if (byte == '/' || byte == '\\' || byte == '%' ||
            static_cast<unsigned char>(byte) < static_cast<unsigned char>(kFirstPrintable) ||
            static_cast<unsigned char>(byte) > static_cast<unsigned char>(kLastPrintable))
            return std::nullopt;
        out += byte;
        i += 2;
    }
    return out;
}

} // namespace

std::optional<Target> parseTarget(std::string_view target) {
    if (target.empty() || target[0] != '/')
        return std::nullopt;
    for (char c : target)
        if (c < kFirstPrintable || c > kLastPrintable || c == '#')
            return std::nullopt;
    std::size_t question = target.find('?');
    std::string_view path = target.substr(0, question);
    Target parsed;
    if (path.size() > 1) {
        std::size_t at = 1;
        while (at <= path.size()) {
            std::size_t slash = path.find('/', at);
            std::string_view raw =
                path.substr(at, slash == std::string_view::npos ? path.npos : slash - at);
            std::optional<std::string> name = decoded(raw);
            // ".." anywhere, not only as a whole name: no route has one, and a name that holds
            // it is refused before anything could take it for a path.
            if (!name || name->empty() || name->find("..") != std::string::npos || *name == ".")
                return std::nullopt;
            parsed.names.push_back(*name);
            if (slash == std::string_view::npos)
                break;
            at = slash + 1;
        }
    }
    if (question == std::string_view::npos)
        return parsed;
    std::string_view query = target.substr(question + 1);
    std::size_t at = 0;
    while (at <= query.size() && !query.empty()) {
        std::size_t amp = query.find('&', at);
        std::string_view pair =
            query.substr(at, amp == std::string_view::npos ? query.npos : amp - at);
        std::size_t equals = pair.find('=');
        std::optional<std::string> key = decoded(pair.substr(0, equals));
        std::optional<std::string> value = decoded(
            equals == std::string_view::npos ? std::string_view() : pair.substr(equals + 1));
        if (!key || !value || key->empty() || value->find("..") != std::string::npos)
            return std::nullopt;
        parsed.query.emplace_back(*key, *value);
        if (amp == std::string_view::npos)
            break;
        at = amp + 1;
    }
    return parsed;
}

std::optional<std::uint64_t> parseDecimal(std::string_view text, std::size_t maxDigits) {
    if (text.empty() || text.size() > maxDigits || (text.size() > 1 && text[0] == '0'))
        return std::nullopt;
    std::uint64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * kDecimalBase + static_cast<std::uint64_t>(c - '0');
    }
    return value;
}

std::optional<std::int64_t> parseMicroseconds(std::string_view text, std::size_t maxWholeDigits) {
    std::size_t dot = text.find('.');
    std::string_view whole = text.substr(0, dot);
    std::string_view fraction =
        dot == std::string_view::npos ? std::string_view() : text.substr(dot + 1);
    if (whole.empty() || whole.size() > maxWholeDigits ||
        (dot != std::string_view::npos && (fraction.empty() || fraction.size() > kMostDecimals)))
        return std::nullopt;
    std::int64_t micros = 0;
    for (char c : whole) {
        if (c < '0' || c > '9')
            return std::nullopt;
        micros = micros * kDecimalBase + (c - '0');
    }
    micros *= kMicrosPerSecond;
    std::int64_t scale = kMicrosPerSecond;
    for (char c : fraction) {
        if (c < '0' || c > '9')
            return std::nullopt;
        scale /= kDecimalBase;
        micros += (c - '0') * scale;
    }
    return micros;
}

} // namespace kovra::server
