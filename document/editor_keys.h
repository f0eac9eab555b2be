#pragma once
// The rules of the editing keys that do not depend on where the text lives: which typed
// characters go into the text, the byte a typed character is in the view, and how typing over or
// deleting a selection keeps the line break at its end. The document's key calls use them.
#include <cstddef>
#include <cstdint>

// Tab, 0x20-0x7E and 0x80-0xFF: the characters that are typed into the text (and recorded).
bool IsPrintableTyped(std::uint8_t ansiByte);

// The byte a character typed as 1251 stands for in the view code page (0 ANSI, 1 OEM, 2 KOI8-R):
// 1251 to 866, then 866 to KOI8-R. A 1251 character whose 866 form is ASCII (a typographic quote
// or dash) stays that ASCII byte in the KOI8-R view as well.
std::uint8_t ViewByteOfTyped(std::uint8_t ansiByte, std::uint8_t codePage);

// Typing over a selection [start, end) of more than two characters that ends with a line break
// keeps that line break: the end the selection keeps. byteAt(position) gives the byte there. The
// break is CR LF, or a lone LF or CR as files from elsewhere end their lines.
template <typename ByteAt>
std::size_t EndKeptWhenTyping(std::size_t start, std::size_t end, ByteAt&& byteAt) {
    if (end - start <= 2) return end;
    const int last = byteAt(end - 1);
    if (last == '\n') return end - (byteAt(end - 2) == '\r' ? 2 : 1);
    return last == '\r' ? end - 1 : end;
}

// Delete over a selection of more than two characters that ends with a line break and starts
// inside a line keeps the line break; one that starts at a line start (`lineStart`, the first
// position of the line holding the selection start) deletes whole lines with their breaks. The
// break is CR LF, or a lone LF or CR as files from elsewhere have it (only that one byte is then
// kept out, not the character in front of it).
template <typename ByteAt>
std::size_t EndKeptWhenDeleting(std::size_t start, std::size_t end, std::size_t lineStart, ByteAt&& byteAt) {
    if (end - start <= 2 || start == lineStart) return end;
    const int last = byteAt(end - 1);
    if (last == '\n') return end - (byteAt(end - 2) == '\r' ? 2 : 1);
    return last == '\r' ? end - 1 : end;
}
