#include "AvatarHue.h"

#include <cstdint>

double AvatarHue::of(const QString &initials)
{
    // h ← h × 31 + scalar, wrapping in 64 bits; the remainder keeps the sign of h.
    std::uint64_t h = 0;
    for (const char32_t scalar : initials.toUcs4())
        h = h * 31 + scalar;
    const auto remainder = static_cast<std::int64_t>(h) % 360;
    return static_cast<double>(remainder) / 360.0;
}
