#include "control/font_cmap.h"

namespace {

// The table's numbers are big-endian.
std::uint32_t Read16(const unsigned char* p) { return static_cast<std::uint32_t>(p[0]) << 8 | p[1]; }
std::uint32_t Read32(const unsigned char* p) { return Read16(p) << 16 | Read16(p + 2); }

// The offset of the first format 12 subtable under a Unicode encoding of the full repertoire, or 0.
std::size_t FullRepertoireSubtable(const unsigned char* table, std::size_t size) {
    if (size < 4) return 0;
    const std::size_t count = Read16(table + 2);
    for (std::size_t i = 0; i < count && 4 + 8 * (i + 1) <= size; ++i) {
        const unsigned char* record = table + 4 + 8 * i;
        const std::uint32_t platform = Read16(record), encoding = Read16(record + 2);
        const bool full = (platform == 3 && encoding == 10) || (platform == 0 && (encoding == 4 || encoding == 6));
        const std::size_t offset = Read32(record + 4);
        if (full && offset != 0 && offset <= size && size - offset >= 16 && Read16(table + offset) == 12) return offset;
    }
    return 0;
}

}  // namespace

std::uint32_t GlyphOfCharacter(const unsigned char* table, std::size_t size, char32_t code) {
    const std::size_t offset = FullRepertoireSubtable(table, size);
    if (offset == 0) return 0;
    const unsigned char* subtable = table + offset;
    const std::size_t room = (size - offset - 16) / 12;
    const std::size_t groups = Read32(subtable + 12) < room ? Read32(subtable + 12) : room;
    // The groups are sorted by their first character and do not overlap.
    std::size_t lo = 0, hi = groups;
    while (lo < hi) {
        const std::size_t mid = lo + (hi - lo) / 2;
        const unsigned char* group = subtable + 16 + 12 * mid;
        const std::uint32_t first = Read32(group), last = Read32(group + 4);
        if (code < first) hi = mid;
        else if (code > last) lo = mid + 1;
        else return Read32(group + 8) + (code - first);
    }
    return 0;
}
