#include "control/gap_buffer.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <new>

// Room for a count whose size in bytes, with the growth reserve, passes the address space (in a
// 32-bit process: line starts of a text near the limit) is refused, and what was held stays.
TEST(GapBuffer, GrowthBeyondTheAddressSpaceThrowsAndKeepsTheItems) {
    GapBuffer<std::uint32_t> starts;
    const std::uint32_t held[] = {0, 7, 9};
    starts.Insert(0, held, 3);
    constexpr std::size_t kMostStarts = static_cast<std::size_t>(-1) / sizeof(std::uint32_t);
    for (std::size_t count : {kMostStarts / 5 * 4 + 1, kMostStarts - 2, static_cast<std::size_t>(-1) - 1}) {
        EXPECT_THROW(starts.InsertUninitialised(1, count), std::bad_alloc) << count;
        ASSERT_EQ(starts.Size(), 3u);
        EXPECT_EQ(starts[0], 0u);
        EXPECT_EQ(starts[1], 7u);
        EXPECT_EQ(starts[2], 9u);
    }
    GapBuffer<char> bytes;
    bytes.Insert(0, "ab", 2);
    EXPECT_THROW(bytes.InsertUninitialised(2, static_cast<std::size_t>(-1) / 5 * 4 + 1), std::bad_alloc);
    EXPECT_EQ(bytes.Size(), 2u);
}
