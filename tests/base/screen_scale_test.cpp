#include "base/screen_scale.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

TEST(ScreenScale, SizesGrowInProportionRoundedToTheNearestPixel) {
    for (int dpi : {72, 96, 120, 144, 168, 192, 240, 288, 480}) {
        for (int pixels = -40; pixels <= 400; ++pixels) {
            const double exact = pixels * dpi / 96.0;
            const int nearest = static_cast<int>(exact < 0 ? -std::floor(-exact + 0.5) : std::floor(exact + 0.5));
            ASSERT_EQ(ScaledForDpi(pixels, dpi), nearest) << pixels << " at " << dpi;
        }
    }
    EXPECT_EQ(ScaledForDpi(16, 96), 16);
    EXPECT_EQ(ScaledForDpi(16, 144), 24);
    EXPECT_EQ(ScaledForDpi(1, 144), 2) << "a half pixel goes up, as MulDiv rounds it";
}

}  // namespace
