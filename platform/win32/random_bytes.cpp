#include "platform/random_bytes.h"

#include <windows.h>

#include <ntsecapi.h>

namespace kovra {

namespace {

// RtlGenRandom takes a ULONG: a larger request goes in pieces.
constexpr std::size_t kMostAtOnce = 1u << 20;

} // namespace

OsError randomBytes(void* buffer, std::size_t size) {
    auto* at = static_cast<unsigned char*>(buffer);
    while (size > 0) {
        std::size_t piece = size < kMostAtOnce ? size : kMostAtOnce;
        // RtlGenRandom (advapi32's SystemFunction036): the system's generator since Windows XP,
        // where BCryptGenRandom came only with Vista. It sets no last error.
        if (!RtlGenRandom(at, static_cast<ULONG>(piece)))
            return OsError(OsError::Other, 0);
        at += piece;
        size -= piece;
    }
    return OsError::None;
}

} // namespace kovra
