#pragma once
// Pixel sizes drawn for a 96-dpi screen (100 %), brought to another screen's scale.

inline constexpr int kDefaultDpi = 96;

// `pixels` at 96 dpi, at `dpi`, rounded to the nearest pixel as the system's MulDiv rounds.
constexpr int ScaledForDpi(int pixels, int dpi) {
    const long long product = static_cast<long long>(pixels) * dpi;
    const long long half = kDefaultDpi / 2;
    return static_cast<int>(product >= 0 ? (product + half) / kDefaultDpi : -((-product + half) / kDefaultDpi));
}
