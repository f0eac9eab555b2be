#include "control/view_characters.h"

#include <algorithm>

Utf8Character CharacterAt(const TextModel& text, std::size_t position) {
    switch (text.Form()) {
    case CharacterForm::Utf8: return Utf8CharacterAt(text, position);
    case CharacterForm::Utf16Le: return Utf16CharacterAt(text, position, false);
    case CharacterForm::Utf16Be: return Utf16CharacterAt(text, position, true);
    case CharacterForm::Bytes: break;
    }
    Utf8Character c;
    c.byte = position < text.Length() ? text.At(position) : 0;
    c.code = c.byte;
    return c;
}

std::string EncodeCharacter(CharacterForm form, char32_t character) {
    if (form == CharacterForm::Utf8) return EncodeUtf8(character);
    if (!IsUtf16(form)) return {};
    std::string bytes;
    auto put = [&](char32_t unit) {
        const char high = static_cast<char>(unit >> 8), low = static_cast<char>(unit & 0xFF);
        if (form == CharacterForm::Utf16Be) bytes += {high, low};
        else bytes += {low, high};
    };
    if (character >= 0x10000) {
        put(0xD800 + ((character - 0x10000) >> 10));
        put(0xDC00 + ((character - 0x10000) & 0x3FF));
    } else {
        put(character);
    }
    return bytes;
}

std::string CrLfOf(CharacterForm form) {
    return IsUtf16(form) ? EncodeCharacter(form, '\r') + EncodeCharacter(form, '\n') : std::string("\r\n");
}

LineBreakUnits LineBreakUnitsOf(CharacterForm form) {
    switch (form) {
    case CharacterForm::Utf16Le: return LineBreakUnits::Utf16LE;
    case CharacterForm::Utf16Be: return LineBreakUnits::Utf16BE;
    default: return LineBreakUnits::Bytes;
    }
}

std::string_view LineBreakOfText(const TextModel& text) {
    return LineBreakOf(text.DocumentLineEnd(), LineBreakUnitsOf(text.Form()));
}

std::string WithLineEndsIn(CharacterForm form, std::string_view bytes, LineEndKind kind) {
    std::string out;
    out.reserve(bytes.size() + (kind == LineEndKind::CrLf ? bytes.size() / 16 : 0));
    AppendWithLineEnds(bytes, kind, true, out, LineBreakUnitsOf(form));
    return out;
}

std::size_t CharacterStart(const TextModel& text, std::size_t position) {
    switch (text.Form()) {
    case CharacterForm::Utf8: return Utf8CharacterStart(text, position);
    case CharacterForm::Utf16Le: return Utf16CharacterStart(text, position, false);
    case CharacterForm::Utf16Be: return Utf16CharacterStart(text, position, true);
    case CharacterForm::Bytes: break;
    }
    return std::min(position, text.Length());
}

std::size_t NextCharacter(const TextModel& text, std::size_t position) {
    if (position >= text.Length()) return text.Length();
    return position + CharacterAt(text, position).length;
}

std::size_t PreviousCharacter(const TextModel& text, std::size_t position) {
    position = std::min(position, text.Length());
    return position == 0 ? 0 : CharacterStart(text, position - 1);
}

WordClass CharacterClassAt(const TextModel& text, std::size_t position) {
    return Utf8WordClass(CharacterAt(text, position).code);
}

std::size_t FindCharacterWordBreak(const TextModel& text, std::size_t position, WordMove move) {
    const std::size_t length = text.Length();
    const std::size_t pair = 2 * text.UnitBytes();
    std::size_t p = CharacterStart(text, std::min(position, length));
    auto classAt = [&](std::size_t at) { return CharacterClassAt(text, at); };
    auto classBefore = [&](std::size_t at) { return classAt(PreviousCharacter(text, at)); };
    if (move == WordMove::Right) {
        if (p >= length) return length;
        WordClass current = classAt(p);
        if (current == WordClass::LineBreak) {
            p = text.CrLfAt(p) ? p + pair : NextCharacter(text, p);
        } else if (current != WordClass::Blank) {
            while (p < length && classAt(p) == current) p = NextCharacter(text, p);
        }
        while (p < length && classAt(p) == WordClass::Blank) p = NextCharacter(text, p);
        return p;
    }
    while (p > 0 && classBefore(p) == WordClass::Blank) p = PreviousCharacter(text, p);
    if (p == 0) return 0;
    WordClass current = classBefore(p);
    if (current == WordClass::LineBreak) return p >= pair && text.CrLfAt(p - pair) ? p - pair : PreviousCharacter(text, p);
    while (p > 0 && classBefore(p) == current) p = PreviousCharacter(text, p);
    return p;
}
