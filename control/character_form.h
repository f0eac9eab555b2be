#pragma once
// How the text's bytes make characters and line breaks, which only the view decides: each byte a
// character (the single-byte views), UTF-8 sequences, or UTF-16 code units in either byte order. The
// bytes never change with it; the text model's line index and every walk over characters follow it.
#include <cstddef>
#include <cstdint>

enum class CharacterForm : std::uint8_t { Bytes, Utf8, Utf16Le, Utf16Be };

inline bool IsUtf16(CharacterForm form) { return form == CharacterForm::Utf16Le || form == CharacterForm::Utf16Be; }
// The bytes of one code unit, and so of the smallest line break.
inline std::size_t UnitBytes(CharacterForm form) { return IsUtf16(form) ? 2 : 1; }
