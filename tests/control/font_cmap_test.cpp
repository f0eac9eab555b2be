#include "control/font_cmap.h"

#include <gtest/gtest.h>

#include <array>
#include <random>
#include <string>

namespace {

void Put16(std::string& out, std::uint32_t v) {
    out += static_cast<char>(v >> 8);
    out += static_cast<char>(v & 0xFF);
}
void Put32(std::string& out, std::uint32_t v) {
    Put16(out, v >> 16);
    Put16(out, v & 0xFFFF);
}

// A 'cmap' table with a format 4 stand-in under 3/1 and format 12 groups under 3/10.
std::string Cmap(std::initializer_list<std::array<std::uint32_t, 3>> groups) {
    std::string table;
    Put16(table, 0);
    Put16(table, 2);
    Put16(table, 3), Put16(table, 1), Put32(table, 20);
    Put16(table, 3), Put16(table, 10), Put32(table, 24);
    Put16(table, 4), Put16(table, 0);  // not read: only format 12 maps beyond U+FFFF
    Put16(table, 12), Put16(table, 0), Put32(table, 16 + 12 * static_cast<std::uint32_t>(groups.size()));
    Put32(table, 0), Put32(table, static_cast<std::uint32_t>(groups.size()));
    for (const auto& g : groups) Put32(table, g[0]), Put32(table, g[1]), Put32(table, g[2]);
    return table;
}

std::uint32_t Glyph(const std::string& table, char32_t code) {
    return GlyphOfCharacter(reinterpret_cast<const unsigned char*>(table.data()), table.size(), code);
}

TEST(FontCmap, FindsTheGlyphOfACharacterByItsGroupAndNothingOutsideTheTable) {
    const std::string table = Cmap({{0x41, 0x5A, 36}, {0x1D400, 0x1D433, 3000}, {0x1F600, 0x1F600, 5000}});
    EXPECT_EQ(Glyph(table, 0x1D400), 3000u);
    EXPECT_EQ(Glyph(table, 0x1D433), 3051u);
    EXPECT_EQ(Glyph(table, 0x1D434), 0u);
    EXPECT_EQ(Glyph(table, 0x1F600), 5000u);
    EXPECT_EQ(Glyph(table, 0x1F601), 0u);
    EXPECT_EQ(Glyph(table, 0x42), 37u);
    // A table cut anywhere, or bytes changed anywhere, gives some glyph or none and reads nothing
    // beyond its end (the sanitizers watch the reads).
    std::mt19937 random(24);
    for (std::size_t cut = 0; cut <= table.size(); ++cut) {
        const std::string shorter = table.substr(0, cut);
        std::string copy(shorter.begin(), shorter.end());
        Glyph(copy, 0x1F600);
        if (!copy.empty()) copy[random() % copy.size()] = static_cast<char>(random());
        Glyph(copy, 0x1D401);
    }
    EXPECT_EQ(Glyph(table.substr(0, table.size() - 12), 0x1F600), 0u);  // the last group cut off
}

}  // namespace
