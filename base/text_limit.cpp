#include "base/text_limit.h"

std::uint32_t TextLimitFor(std::uint64_t totalPhysicalBytes) {
    // Capped so the limit stays a positive 32-bit signed count, as the control's positions are.
    constexpr std::uint64_t cap = 0x7FFFFFFF;
    std::uint64_t memory = totalPhysicalBytes < cap ? totalPhysicalBytes : cap;
    return static_cast<std::uint32_t>(memory / 2) | 0xFFFFFu;
}
