#include "control/view_decoding.h"

#include <algorithm>
#include <utility>

#include "base/charts.h"

namespace {

// The glyphs DOS drew for the bytes 0x00-0x1F (0x00 made visible).
constexpr std::array<char16_t, 32> kDosControlGlyphs = {
    0x2205, 0x263A, 0x263B, 0x2665, 0x2666, 0x2663, 0x2660, 0x2022,  // ∅ ☺ ☻ ♥ ♦ ♣ ♠ •
    0x25D8, 0x25CB, 0x25D9, 0x2642, 0x2640, 0x266A, 0x266B, 0x263C,  // ◘ ○ ◙ ♂ ♀ ♪ ♫ ☼
    0x25BA, 0x25C4, 0x2195, 0x203C, 0x00B6, 0x00A7, 0x25AC, 0x21A8,  // ► ◄ ↕ ‼ ¶ § ▬ ↨
    0x2191, 0x2193, 0x2192, 0x2190, 0x221F, 0x2194, 0x25B2, 0x25BC,  // ↑ ↓ → ← ∟ ↔ ▲ ▼
};
constexpr char16_t kDeleteGlyph = 0x2302;  // ⌂

constexpr ViewGlyphTable MakeGlyphs(const charts::HighHalf& chart) {
    ViewGlyphTable glyphs{};
    for (int b = 0; b < 0x20; ++b) glyphs[b] = kDosControlGlyphs[b];
    for (int b = 0x20; b < 0x7F; ++b) glyphs[b] = static_cast<char16_t>(b);
    glyphs[0x7F] = kDeleteGlyph;
    for (int b = 0x80; b < 0x100; ++b) glyphs[b] = chart[b - 0x80];
    return glyphs;
}

constexpr ViewGlyphTable MakeAnsiGlyphs() {
    ViewGlyphTable glyphs = MakeGlyphs(charts::kWindows1251);
    glyphs[0x07] = 0x25E6;  // ◦: the chart has • at 0x95
    glyphs[0x14] = 0x204B;  // ⁋: the chart has ¶ at 0xB6
    glyphs[0x15] = 0x25CA;  // ◊: the chart has § at 0xA7
    glyphs[0x98] = 0xFFFD;  // unassigned in the chart
    return glyphs;
}

constexpr ViewGlyphTable kAnsiGlyphs = MakeAnsiGlyphs();
constexpr ViewGlyphTable kOemGlyphs = MakeGlyphs(charts::kCp866);
constexpr ViewGlyphTable kKoi8Glyphs = MakeGlyphs(charts::kKoi8R);

// Character to byte, sorted by character: the 256 glyphs and the 33 raw control characters.
struct ReverseEntry {
    char16_t character;
    unsigned char byte;
};
using ReverseMap = std::array<ReverseEntry, 256 + 33>;

constexpr ReverseMap MakeReverse(const ViewGlyphTable& glyphs) {
    ReverseMap map{};
    std::size_t n = 0;
    for (int b = 0; b < 256; ++b) map[n++] = {glyphs[b], static_cast<unsigned char>(b)};
    for (int b = 0; b < 0x20; ++b) map[n++] = {static_cast<char16_t>(b), static_cast<unsigned char>(b)};
    map[n++] = {0x7F, 0x7F};
    std::sort(map.begin(), map.end(),
              [](const ReverseEntry& a, const ReverseEntry& b) { return a.character < b.character; });
    return map;
}

constexpr ReverseMap kAnsiReverse = MakeReverse(kAnsiGlyphs);
constexpr ReverseMap kOemReverse = MakeReverse(kOemGlyphs);
constexpr ReverseMap kKoi8Reverse = MakeReverse(kKoi8Glyphs);

// Two bytes on one glyph would merge them on screen and make the reverse map ambiguous; a glyph
// that is itself a raw control character would not be drawn. Both show up as a repeated character.
constexpr bool HasDistinctCharacters(const ReverseMap& map) {
    for (std::size_t i = 1; i < map.size(); ++i)
        if (map[i - 1].character == map[i].character) return false;
    return true;
}
static_assert(HasDistinctCharacters(kAnsiReverse));
static_assert(HasDistinctCharacters(kOemReverse));
static_assert(HasDistinctCharacters(kKoi8Reverse));

const ReverseMap& ReverseFor(int codePageIndex) {
    switch (codePageIndex) {
    case 1: return kOemReverse;
    case 2: return kKoi8Reverse;
    default: return kAnsiReverse;
    }
}

}  // namespace

const ViewGlyphTable& ViewGlyphs(int codePageIndex) {
    switch (codePageIndex) {
    case 1: return kOemGlyphs;
    case 2: return kKoi8Glyphs;
    default: return kAnsiGlyphs;
    }
}

std::optional<unsigned char> ViewByteFor(int codePageIndex, char16_t character) {
    if (character >= 0x20 && character < 0x7F) return static_cast<unsigned char>(character);
    const ReverseMap& map = ReverseFor(codePageIndex);
    auto found = std::lower_bound(map.begin(), map.end(), character,
                                  [](const ReverseEntry& e, char16_t c) { return e.character < c; });
    if (found == map.end() || found->character != character) return std::nullopt;
    return found->byte;
}
