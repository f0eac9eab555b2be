#include "control/colour_runs.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace {

// A colour per byte, edited the plain way, against which the runs are checked.
std::vector<std::uint32_t> Colours(const ColourRuns& runs, std::size_t length) {
    std::vector<std::uint32_t> colours;
    for (std::size_t p = 0; p < length; ++p) colours.push_back(runs.ColourAt(p));
    return colours;
}

}  // namespace

TEST(ColourRuns, TagsKeepTheirColourThroughEditsAndTypedTextTakesTheColourBefore) {
    ColourRuns runs;
    // "x <b>y" with the tag coloured 1.
    runs.Set(2, 5, 1);
    EXPECT_EQ(Colours(runs, 6), (std::vector<std::uint32_t>{ColourRuns::kDefault, ColourRuns::kDefault, 1, 1, 1,
                                                             ColourRuns::kDefault}));
    EXPECT_EQ(runs.NextChange(0), 2u);
    EXPECT_EQ(runs.NextChange(2), 5u);
    EXPECT_EQ(runs.NextChange(5), ColourRuns::kEnd);
    // Typing right behind the tag continues its colour; typing in front of it does not.
    runs.OnReplace(5, 0, 1);
    EXPECT_EQ(runs.ColourAt(5), 1u);
    EXPECT_EQ(runs.ColourAt(6), ColourRuns::kDefault);
    runs.OnReplace(2, 0, 1);
    EXPECT_EQ(runs.ColourAt(2), ColourRuns::kDefault);
    EXPECT_EQ(runs.ColourAt(3), 1u);
    // Deleting across the tag's start keeps the rest of the tag coloured.
    runs.OnReplace(1, 3, 0);
    EXPECT_EQ(runs.ColourAt(0), ColourRuns::kDefault);
    EXPECT_EQ(runs.ColourAt(1), 1u);
    EXPECT_EQ(runs.ColourAt(3), 1u);
    EXPECT_EQ(runs.ColourAt(4), ColourRuns::kDefault);
    // Inserting at the start of a coloured text gives the new text that colour.
    runs.Clear();
    runs.Set(0, 3, 7);
    runs.OnReplace(0, 0, 2);
    EXPECT_EQ(runs.ColourAt(0), 7u);
    EXPECT_EQ(runs.ColourAt(4), 7u);
    EXPECT_EQ(runs.ColourAt(5), ColourRuns::kDefault);
}

TEST(ColourRuns, RandomSettingAndEditingAgreesWithAColourPerByte) {
    std::mt19937 random(5);
    ColourRuns runs;
    std::vector<std::uint32_t> expected(50, ColourRuns::kDefault);
    for (int step = 0; step < 2000; ++step) {
        std::size_t length = expected.size();
        std::size_t first = random() % (length + 1);
        std::size_t last = std::min(length, first + random() % 8);
        if (random() % 2) {
            std::uint32_t colour = random() % 3 == 0 ? ColourRuns::kDefault : random() % 3;
            runs.Set(first, last, colour);
            for (std::size_t p = first; p < last; ++p) expected[p] = colour;
        } else {
            std::size_t inserted = length > 80 ? 0 : random() % 5;
            std::uint32_t colour = first > 0 ? expected[first - 1]
                                             : (last < length ? expected[last] : ColourRuns::kDefault);
            runs.OnReplace(first, last - first, inserted);
            expected.erase(expected.begin() + first, expected.begin() + last);
            expected.insert(expected.begin() + first, inserted, colour);
        }
        ASSERT_EQ(Colours(runs, expected.size()), expected) << "step " << step;
    }
}

TEST(ColourRuns, EveryChangeChangesTheColourAfterAnySequenceOfSetsAndEdits) {
    // A change that repeats the colour before it is dead weight the list would keep for good; the
    // tag colouring makes millions of changes, so none may be left behind.
    std::mt19937 random(11);
    ColourRuns runs;
    std::size_t length = 200;
    auto expectMinimal = [&](int step) {
        std::size_t changes = 0;
        for (std::size_t p = runs.NextChange(0); p != ColourRuns::kEnd; p = runs.NextChange(p)) {
            ASSERT_NE(runs.ColourAt(p), runs.ColourAt(p - 1)) << "change at " << p << ", step " << step;
            ASSERT_LT(++changes, 10000u);
        }
    };
    for (int step = 0; step < 3000; ++step) {
        std::size_t first = random() % (length + 1);
        std::size_t last = std::min(length, first + random() % 12);
        switch (random() % 3) {
        case 0: runs.Set(first, last, random() % 4 == 0 ? ColourRuns::kDefault : random() % 2); break;
        case 1:
            runs.OnReplace(first, last - first, 0);
            length -= last - first;
            break;
        default: {
            std::size_t inserted = length > 400 ? 0 : random() % 6;
            runs.OnReplace(first, last - first, inserted);
            length = length - (last - first) + inserted;
        }
        }
        expectMinimal(step);
    }
    // Tags set one after the other, as the colouring does, over a text first made black.
    runs.Clear();
    runs.Set(0, 1000, 0);
    for (std::size_t start = 10; start + 5 <= 1000; start += 10) runs.Set(start, start + 5, 0xFF0000);
    expectMinimal(-1);
    EXPECT_EQ(runs.ColourAt(0), 0u);
    EXPECT_EQ(runs.ColourAt(10), 0xFF0000u);
    EXPECT_EQ(runs.ColourAt(14), 0xFF0000u);
    EXPECT_EQ(runs.ColourAt(15), 0u);
    EXPECT_EQ(runs.ColourAt(999), 0u);
    EXPECT_EQ(runs.ColourAt(1000), ColourRuns::kDefault);
}
