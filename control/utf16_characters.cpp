#include "control/utf16_characters.h"

char32_t Utf16UnitAt(const TextModel& text, std::size_t position, bool bigEndian) {
    if (position + 2 > text.Length()) return kNoUnit;
    const std::uint8_t bytes[2] = {text.At(position), text.At(position + 1)};
    return Utf16UnitOf(bytes, bigEndian);
}

Utf8Character Utf16CharacterAt(const TextModel& text, std::size_t position, bool bigEndian) {
    std::uint8_t bytes[4];
    const std::size_t n = std::min<std::size_t>(4, text.Length() - std::min(position, text.Length()));
    for (std::size_t i = 0; i < n; ++i) bytes[i] = text.At(position + i);
    return ReadUtf16Character(bytes, n, bigEndian);
}

std::size_t Utf16CharacterStart(const TextModel& text, std::size_t position, bool bigEndian) {
    if (position >= text.Length()) return text.Length();
    const std::size_t aligned = position & ~std::size_t{1};
    if (aligned >= 2 && IsLowSurrogate(Utf16UnitAt(text, aligned, bigEndian)) &&
        IsHighSurrogate(Utf16UnitAt(text, aligned - 2, bigEndian)))
        return aligned - 2;
    return aligned;
}

std::u16string Utf16OfView(std::string_view bytes, bool bigEndian) {
    std::u16string characters;
    characters.reserve(bytes.size() / 2 + 1);
    const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.data());
    for (std::size_t i = 0; i < bytes.size();) {
        const Utf8Character c = ReadUtf16Character(data + i, bytes.size() - i, bigEndian);
        if (!c.WellFormed()) {
            characters += u'\uFFFD';
        } else if (c.length == 4) {
            characters += static_cast<char16_t>(0xD800 + ((c.code - 0x10000) >> 10));
            characters += static_cast<char16_t>(0xDC00 + ((c.code - 0x10000) & 0x3FF));
        } else {
            characters += static_cast<char16_t>(c.code);
        }
        i += c.length;
    }
    return characters;
}

std::string ViewOfUtf16(std::u16string_view characters, bool bigEndian) {
    std::string bytes;
    bytes.reserve(2 * characters.size());
    auto put = [&](char16_t unit) {
        const char high = static_cast<char>(unit >> 8), low = static_cast<char>(unit & 0xFF);
        bytes += bigEndian ? high : low;
        bytes += bigEndian ? low : high;
    };
    for (std::size_t i = 0; i < characters.size(); ++i) {
        const char16_t unit = characters[i];
        if (IsHighSurrogate(unit) && i + 1 < characters.size() && IsLowSurrogate(characters[i + 1])) {
            put(unit);
            put(characters[++i]);
        } else {
            put(IsHighSurrogate(unit) || IsLowSurrogate(unit) ? u'\uFFFD' : unit);
        }
    }
    return bytes;
}

std::string TransformedByUtf8(std::string_view bytes, bool bigEndian, const std::function<std::string(std::string_view)>& transform) {
    const std::string_view odd = bytes.substr(bytes.size() & ~std::size_t{1});
    bytes.remove_suffix(odd.size());
    std::string utf8;
    utf8.reserve(bytes.size() * 3 / 2);
    const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.data());
    for (std::size_t i = 0; i < bytes.size();) {
        const Utf8Character c = ReadUtf16Character(data + i, bytes.size() - i, bigEndian);
        const char32_t code = c.WellFormed() ? c.code : c.unit;
        // Written by hand: the encoder refuses surrogates.
        if (code >= 0x800 && code < 0x10000) {
            utf8 += static_cast<char>(0xE0 | code >> 12);
            utf8 += static_cast<char>(0x80 | (code >> 6 & 0x3F));
            utf8 += static_cast<char>(0x80 | (code & 0x3F));
        } else {
            AppendUtf8(code, utf8);
        }
        i += c.length;
    }
    const std::string done = transform(utf8);
    std::u16string units;
    units.reserve(done.size());
    for (std::size_t i = 0; i < done.size();) {
        const Utf8Character c = ReadUtf8Character(done, i);
        const auto b = [&](std::size_t k) { return static_cast<unsigned char>(done[i + k]); };
        if (c.WellFormed()) {
            if (c.code >= 0x10000) {
                units += static_cast<char16_t>(0xD800 + ((c.code - 0x10000) >> 10));
                units += static_cast<char16_t>(0xDC00 + ((c.code - 0x10000) & 0x3FF));
            } else {
                units += static_cast<char16_t>(c.code);
            }
            i += c.length;
        } else if (i + 2 < done.size() && b(0) == 0xED && b(1) >= 0xA0 && b(1) <= 0xBF && (b(2) & 0xC0) == 0x80) {
            units += static_cast<char16_t>(0xD000 | (b(1) & 0x3F) << 6 | (b(2) & 0x3F));
            i += 3;
        } else {
            units += u'\uFFFD';
            i += 1;
        }
    }
    std::string result;
    result.reserve(2 * units.size() + odd.size());
    for (char16_t unit : units) {
        const char high = static_cast<char>(unit >> 8), low = static_cast<char>(unit & 0xFF);
        result += bigEndian ? high : low;
        result += bigEndian ? low : high;
    }
    result += odd;
    return result;
}

namespace {

char16_t UnitIn(std::string_view bytes, std::size_t at, bool bigEndian) {
    return Utf16UnitOf(reinterpret_cast<const std::uint8_t*>(bytes.data()) + at, bigEndian);
}

}  // namespace

std::size_t Utf16DeletedAfter(std::string_view after, bool bigEndian) {
    if (after.size() >= 4 && UnitIn(after, 0, bigEndian) == '\r' && UnitIn(after, 2, bigEndian) == '\n') return 4;
    return after.empty() ? 0
                         : ReadUtf16Character(reinterpret_cast<const std::uint8_t*>(after.data()), after.size(), bigEndian).length;
}

std::size_t Utf16DeletedBefore(std::string_view before, bool bigEndian) {
    const std::size_t n = before.size();
    if (n % 2 != 0) return 1;  // the byte left over at the end of the text
    if (n >= 4) {
        const char16_t first = UnitIn(before, n - 4, bigEndian), second = UnitIn(before, n - 2, bigEndian);
        if ((first == '\r' && second == '\n') || (IsHighSurrogate(first) && IsLowSurrogate(second))) return 4;
    }
    return std::min<std::size_t>(n, 2);
}
