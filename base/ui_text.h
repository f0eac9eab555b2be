#pragma once
// The program's own texts are Russian and shown as 1251 bytes; the sources are UTF-8. The literal
// operator _ui turns a UTF-8 literal into its 1251 bytes at compile time, so no conversion runs at
// start-up and a character that 1251 lacks is a compile error, not a question mark on screen.
#include <cstddef>

#include "base/charts.h"

namespace ui_text_detail {

template <std::size_t N>
struct Utf8Literal {
    char bytes[N]{};
    constexpr Utf8Literal(const char (&text)[N]) {
        for (std::size_t i = 0; i < N; ++i) bytes[i] = text[i];
    }
};

template <std::size_t N>
struct AnsiText {
    char bytes[N]{};
};

template <std::size_t N>
consteval AnsiText<N> ToWindows1251(const Utf8Literal<N>& source) {
    AnsiText<N> out{};
    std::size_t o = 0;
    for (std::size_t i = 0; i + 1 < N;) {
        unsigned char lead = static_cast<unsigned char>(source.bytes[i]);
        char32_t cp = 0;
        if (lead < 0x80) { cp = lead; i += 1; }
        else if ((lead & 0xE0) == 0xC0) {
            cp = ((lead & 0x1F) << 6) | (static_cast<unsigned char>(source.bytes[i + 1]) & 0x3F);
            i += 2;
        } else if ((lead & 0xF0) == 0xE0) {
            cp = ((lead & 0x0F) << 12) | ((static_cast<unsigned char>(source.bytes[i + 1]) & 0x3F) << 6) |
                 (static_cast<unsigned char>(source.bytes[i + 2]) & 0x3F);
            i += 3;
        } else {
            throw "UI texts use only characters of code page 1251";
        }
        int byte = charts::PositionOf(charts::kWindows1251, static_cast<char16_t>(cp));
        if (byte < 0 || cp > 0xFFFF) throw "UI texts use only characters of code page 1251";
        out.bytes[o++] = static_cast<char>(byte);
    }
    return out;
}

template <Utf8Literal S>
inline constexpr auto kAnsi = ToWindows1251(S);

}  // namespace ui_text_detail

// "Сохранить"_ui is a const char* to the NUL-terminated 1251 bytes of the text.
template <ui_text_detail::Utf8Literal S>
constexpr const char* operator""_ui() {
    return ui_text_detail::kAnsi<S>.bytes;
}
