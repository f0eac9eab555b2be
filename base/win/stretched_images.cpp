#include "base/win/stretched_images.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "base/win/owned_handle.h"

namespace {

BITMAPINFO TopDown32(int width, int height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    return info;
}

// The mask of the transparent pixels as well, which a toolbar draws its greyed buttons from.
GdiBitmap AlphaMask(const std::uint32_t* pixels, int width, int height) {
    // Rows of a monochrome bitmap are whole 16-bit words; a set bit is a transparent pixel.
    const int stride = (width + 15) / 16 * 2;
    std::vector<std::uint8_t> bits(static_cast<std::size_t>(stride) * height, 0);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if ((pixels[static_cast<std::size_t>(y) * width + x] >> 24) == 0)
                bits[static_cast<std::size_t>(y) * stride + x / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
    return GdiBitmap(CreateBitmap(width, height, 1, 1, bits.data()));
}

}  // namespace

bool AddStretchedImages(HIMAGELIST list, HBITMAP strip, int size) {
    BITMAP shape{};
    if (!list || !strip || size <= 0 || !GetObjectW(strip, sizeof shape, &shape) || shape.bmHeight <= 0) return false;
    const int drawn = shape.bmHeight;
    const int count = shape.bmWidth / drawn;
    if (count <= 0) return false;
    // Read as 32-bit pixels: the alpha byte of a 32-bit strip comes along, a strip of fewer colours
    // reads with alpha 0 throughout.
    BITMAPINFO from = TopDown32(shape.bmWidth, drawn);
    std::vector<std::uint32_t> source(static_cast<std::size_t>(shape.bmWidth) * drawn);
    HDC screen = GetDC(nullptr);
    const int read = GetDIBits(screen, strip, 0, static_cast<UINT>(drawn), source.data(), &from, DIB_RGB_COLORS);
    BITMAPINFO to = TopDown32(count * size, size);
    void* bits = nullptr;
    GdiBitmap stretched(CreateDIBSection(screen, &to, DIB_RGB_COLORS, &bits, nullptr, 0));
    ReleaseDC(nullptr, screen);
    if (read != drawn || !stretched || !bits) return false;
    auto* target = static_cast<std::uint32_t*>(bits);
    const int width = count * size;
    for (int y = 0; y < size; ++y) {
        const int sourceY = y * drawn / size;
        for (int x = 0; x < width; ++x) {
            const int image = x / size, sourceX = image * drawn + (x % size) * drawn / size;
            target[static_cast<std::size_t>(y) * width + x] = source[static_cast<std::size_t>(sourceY) * shape.bmWidth + sourceX];
        }
    }
    GdiFlush();
    const bool alpha = std::any_of(source.begin(), source.end(), [](std::uint32_t pixel) { return (pixel >> 24) != 0; });
    if (alpha) return ImageList_Add(list, stretched.get(), AlphaMask(target, width, size).get()) >= 0;
    const std::uint32_t corner = source[0];  // blue in the low byte
    const COLORREF background = RGB((corner >> 16) & 0xFF, (corner >> 8) & 0xFF, corner & 0xFF);
    return ImageList_AddMasked(list, stretched.get(), background) >= 0;
}
